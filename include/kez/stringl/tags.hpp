// Tag scanning in strings. Included through kez/stringl.hpp.
#pragma once
