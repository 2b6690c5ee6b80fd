// Number and value formatting. Included through kez/stringl.hpp.
#pragma once
