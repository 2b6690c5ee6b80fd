/// @file
/// The whole library in one include.
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
#include "kez/platform/random.hpp"
#include "kez/platform/rangearray.hpp"
#include "kez/platform/stream.hpp"
#include "kez/platform/stringlist.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/platform/textfile.hpp"
#include "kez/platform/types.hpp"
#include "kez/streams.hpp"
#include "kez/stringl.hpp"
#include "kez/univconst.hpp"
