// KEZ_streams: typed values, 8-bit text lines and numbers on byte streams, and the scanner
// of XML-like tags and attributes.
#pragma once

#include "kez/kezbase.hpp"
#include "kez/platform/stream.hpp"
#include "kez/platform/textfile.hpp"
