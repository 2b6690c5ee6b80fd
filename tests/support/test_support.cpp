#include "test_support.hpp"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

namespace kez::test {

TempDir::TempDir() {
  std::random_device rd;
  const auto base = std::filesystem::temp_directory_path();
  for (;;) {
    FPath = base / ("kez-test-" + std::to_string(::getpid()) + "-" + std::to_string(rd()));
    if (std::filesystem::create_directory(FPath)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(FPath, ec);
}

String TempDir::File(std::string_view Name) const {
  return Utf8ToString((FPath / std::string(Name)).string());
}

std::vector<std::string> FolderEntries(const std::filesystem::path& Folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(Folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> TempDir::Entries() const { return FolderEntries(FPath); }

std::string ReadBytes(const std::string& NativeName) {
  std::ifstream in(NativeName, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& NativeName, std::string_view Bytes) {
  std::ofstream out(NativeName, std::ios::binary);
  out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}

std::string U8(StringView Text) { return StringToUtf8(Text); }

}  // namespace kez::test
