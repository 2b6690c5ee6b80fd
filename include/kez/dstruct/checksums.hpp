// CRC-16, CRC-32, SHA-1 and ASCII85. Included through kez/dstruct.hpp.
#pragma once
