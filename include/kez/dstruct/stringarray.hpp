// TStringArray: pooled string table with sorted views. Included through kez/dstruct.hpp.
#pragma once
