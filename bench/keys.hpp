// Deterministic keys shared by the string-table benchmark and the peak-memory cases.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kez::bench {

// n keys of 4 to 12 mixed-case letters and digits, the same on every run.
inline std::vector<std::string> MakeKeys(std::size_t n) {
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 134775813u + 1u; };
  std::vector<std::string> keys(n);
  for (std::string& key : keys) {
    key.resize(4 + (next() >> 16) % 9);
    for (char& ch : key) ch = kChars[(next() >> 16) % (sizeof kChars - 1)];
  }
  return keys;
}

}  // namespace kez::bench
