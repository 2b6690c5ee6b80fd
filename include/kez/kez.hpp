/// @file
/// The whole library in one include.
///
/// Threads: separate objects of every class may be used from separate threads at once, and
/// every free function may run in several threads on separate data. The process-wide state is
/// named in the header that owns it: the random seed (kez/platform/random.hpp), FileMode
/// (kez/platform/textfile.hpp), the drive table (kez/platform/path.hpp), the copy state and its
/// abort flag (kez/filesys/trees.hpp), the dialog backend and its error code
/// (kez/platform/dialogs.hpp), the printer (kez/platform/graphics_printer.hpp), the screen and
/// its fonts (kez/platform/graphics_screen.hpp), the status globals of the numeric routines
/// (kez/kezbase/vocabulary.hpp) and the unit start-up counts (kez/package.hpp). Tables built
/// once (fonts, colour names, the processor's features) are built thread-safely on first use.
#pragma once

#include "kez/cpuid.hpp"
#include "kez/dstruct.hpp"
#include "kez/filesys.hpp"
#include "kez/htmlsupport.hpp"
#include "kez/kezbase.hpp"
#include "kez/kezcolors.hpp"
#include "kez/package.hpp"
#include "kez/platform/classes.hpp"
#include "kez/platform/exceptions.hpp"
#include "kez/platform/path.hpp"
#include "kez/platform/processor.hpp"
#include "kez/platform/random.hpp"
#include "kez/platform/rangearray.hpp"
#include "kez/platform/safesave.hpp"
#include "kez/platform/stream.hpp"
#include "kez/platform/stringlist.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/platform/textfile.hpp"
#include "kez/platform/types.hpp"
#include "kez/streams.hpp"
#include "kez/stringl.hpp"
#include "kez/univconst.hpp"
