// TAssocArray: key/value table of variants. Included through kez/dstruct.hpp.
#pragma once
