// Combinations, permutations and nearest-value search. Included through kez/dstruct.hpp.
#pragma once
