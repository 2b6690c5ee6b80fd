// TGrep regular expressions. Included through kez/stringl.hpp.
#pragma once
