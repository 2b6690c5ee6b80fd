/// @file
/// The library's start and stop entries and its unit table.
///
/// The library starts itself when it is loaded and stops when it is unloaded, so a host need
/// not call anything. Hosts that manage the life cycle themselves call Initialize and
/// Finalize; the calls nest: every unit keeps a run counter, starts on the first Initialize
/// and stops on the matching last Finalize.
///
/// @code
///   kez::Initialize();   // nothing happens: the library started when it was loaded
///   kez::Finalize();     // balances the call above
/// @endcode
///
/// Threads: the start-up counts are process-wide; Initialize and Finalize run when the library
/// is loaded and unloaded, and a host that calls them itself does so from one thread. The
/// package table is constant.
#pragma once

#include <cstdint>
#include <functional>

#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// TPackageUnitEntry
/// One unit of the table: its name and its optional start and stop routines (null where
/// the unit has nothing to do).
struct TPackageUnitEntry {
  const char16_t* Name;  ///< The unit's name, as "KEZ_stringl".
  void (*Start)();  ///< Run when the package starts, or null.
  void (*Stop)();  ///< Run when the package stops, or null.
};

/// TPackageInfoTable
/// The unit table: the platform runtime's entry first, then the library's nine units in
/// their start order (KEZ_univconst, KEZ_kezbase, KEZ_kezcolors, KEZ_stringl, KEZ_streams,
/// KEZ_htmlsupport, KEZ_dstruct, KEZ_cpuid, KEZ_filesys), then the empty entry of the
/// package itself.
struct TPackageInfoTable {
  std::int32_t UnitCount;  ///< The number of entries of Units.
  const TPackageUnitEntry* Units;  ///< The entries, in start order.
};

/// GetPackageInfoTable
/// The unit table described above.
const TPackageInfoTable& GetPackageInfoTable();

/// Initialize
/// Runs the start routine of every entry in table order. Each unit's run counter goes down
/// by one; its start work runs only when the counter passes from 0 to -1.
void Initialize();

/// Finalize
/// Runs the stop routines in reverse table order. Each unit's counter goes up by one; its
/// stop work runs only when the counter comes back from -1 to 0. A unit that is not
/// started is left alone.
void Finalize();

/// UnitRunCounter
/// The run counter of table entry Index (0 for an index outside the table): 0 when the
/// unit is stopped, -n after n nested starts.
std::int32_t UnitRunCounter(std::int32_t Index);

/// SetPackageTraceHook
/// Diagnostic: Hook, when set, is called with a unit's name and true or false each time
/// that unit's start or stop work runs (also for units whose entry has no routine). Pass
/// an empty function to remove it. The library removes it itself before its unload-time
/// stop, so a hook that refers to the host's globals (gone by then) is never called late.
void SetPackageTraceHook(std::function<void(StringView Unit, bool Started)> Hook);

KEZ_API_END
}  // namespace kez
