// TBitFld and TByteMatrix. Included through kez/dstruct.hpp.
#pragma once
