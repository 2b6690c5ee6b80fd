// Parsing and tokenizing. Included through kez/stringl.hpp.
#pragma once
