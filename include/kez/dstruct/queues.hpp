// TFifo, TStringAccu and TRLEncoder. Included through kez/dstruct.hpp.
#pragma once
