// The most memory a data structure may ask for in one shape: the machine's physical memory.
#pragma once

#include <unistd.h>

#include <cstdint>

namespace kez::detail {

// PhysicalMemoryBytes
// The size of the machine's RAM (1 TiB when the system does not tell). Shapes beyond it are
// refused before anything is allocated: an overcommitting system would grant the request
// and kill the process once the memory is filled.
inline std::uint64_t PhysicalMemoryBytes() {
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return std::uint64_t{1} << 40;
  return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

}  // namespace kez::detail
