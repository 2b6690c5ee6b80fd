// The unit table, the nested start and stop of the units, and the start at load time.
#include "kez/package.hpp"

#include <array>

#include "kez/platform/classes.hpp"

#include "package/units.hpp"

namespace kez {
namespace {

// Table order is start order. The first entry stands for the platform runtime, the last
// for the package itself.
constexpr std::array<TPackageUnitEntry, 11> kUnits = {{
    {u"kez.platform", &detail::PlatformStart, &detail::PlatformStop},
    {u"KEZ_univconst", nullptr, nullptr},
    {u"KEZ_kezbase", &detail::KezbaseStart, &detail::KezbaseStop},
    {u"KEZ_kezcolors", nullptr, &detail::KezcolorsStop},
    {u"KEZ_stringl", &detail::StringlStart, nullptr},
    {u"KEZ_streams", nullptr, nullptr},
    {u"KEZ_htmlsupport", nullptr, nullptr},
    {u"KEZ_dstruct", nullptr, &detail::DstructStop},
    {u"KEZ_cpuid", nullptr, &detail::CpuidStop},
    {u"KEZ_filesys", nullptr, &detail::FilesysStop},
    {u"kez", nullptr, nullptr},
}};

constexpr TPackageInfoTable kTable{static_cast<std::int32_t>(kUnits.size()), kUnits.data()};

// Plain counters: the library is started and stopped from one thread.
constinit std::array<std::int32_t, kUnits.size()> gRunCounters{};

std::function<void(StringView, bool)>& TraceHook() {
  static std::function<void(StringView, bool)> hook;
  return hook;
}

void Trace(const TPackageUnitEntry& unit, bool started) {
  CallHandler(TraceHook(), unit.Name, started);  // a copy: the hook may remove itself
}

// Starts the library when it is loaded and stops it when it is unloaded. All unit state
// is constant-initialized, so it is ready before this runs. The trace hook goes before the
// unload-time stop: by then the host's globals, which a hook may use, are destroyed.
struct LoadTimeStart {
  LoadTimeStart() { Initialize(); }
  ~LoadTimeStart() {
    TraceHook() = nullptr;
    Finalize();
  }
};
LoadTimeStart gLoadTimeStart;

}  // namespace

const TPackageInfoTable& GetPackageInfoTable() { return kTable; }

void Initialize() {
  for (std::size_t i = 0; i < kUnits.size(); ++i) {
    if (--gRunCounters[i] == -1) {
      if (kUnits[i].Start != nullptr) kUnits[i].Start();
      Trace(kUnits[i], true);
    }
  }
}

void Finalize() {
  for (std::size_t i = kUnits.size(); i-- > 0;) {
    if (gRunCounters[i] >= 0) continue;  // never started
    if (++gRunCounters[i] == 0) {
      if (kUnits[i].Stop != nullptr) kUnits[i].Stop();
      Trace(kUnits[i], false);
    }
  }
}

std::int32_t UnitRunCounter(std::int32_t Index) {
  if (Index < 0 || Index >= kTable.UnitCount) return 0;
  return gRunCounters[static_cast<std::size_t>(Index)];
}

void SetPackageTraceHook(std::function<void(StringView Unit, bool Started)> Hook) {
  TraceHook() = std::move(Hook);
}

}  // namespace kez
