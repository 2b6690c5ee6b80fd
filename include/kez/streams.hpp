/// @file
/// KEZ_streams: typed values, 8-bit text lines and numbers on byte streams, and the scanner
/// of XML-like tags and attributes.
///
/// @code
///   kez::TMemoryStream m;
///   kez::WriteLnStream(m, u"x=1.5e3");
///   m.SetPosition(0);
///   bool eos;
///   kez::String line = kez::ReadLnStream(m, eos, 4);   // u"x=1.5e3"
/// @endcode
///
/// Text on a stream is 8-bit: writing keeps the low byte of each UTF-16 code unit, reading
/// turns each byte into the character with the same code (0 to 255). The functions keep no
/// state of their own; all state is the stream's position.
///
/// Threads: separate objects may be used from separate threads at once, and the functions on
/// separate data; each header below says where process-wide state lives (kez/kez.hpp lists it
/// all).
#pragma once

#include "kez/kezbase.hpp"
#include "kez/platform/stream.hpp"
#include "kez/platform/textfile.hpp"
#include "kez/streams/lines.hpp"
#include "kez/streams/numbers.hpp"
#include "kez/streams/editing.hpp"
#include "kez/streams/tags.hpp"
#include "kez/streams/values.hpp"
