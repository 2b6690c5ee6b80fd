// CheckTextFileType on a file of arbitrary bytes, compared with the table of byte marks it
// reads (a file shorter than four bytes counts its missing bytes as 0).
#include <cstdlib>

#include "fuzz_input.hpp"
#include "kez/filesys.hpp"

namespace {

kez::TTextfileType Model(std::string_view Bytes) {
  unsigned char b[4] = {0, 0, 0, 0};
  for (std::size_t i = 0; i < 4 && i < Bytes.size(); ++i) b[i] = Bytes[i];
  if (b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return kez::tftUTF8;
  if (b[0] == 0xFF && b[1] == 0xFE && b[2] == 0 && b[3] == 0) return kez::tftUnicode4_le;
  if (b[0] == 0 && b[1] == 0 && b[2] == 0xFE && b[3] == 0xFF) return kez::tftUnicode4_be;
  if (b[0] == 0xFF && b[1] == 0xFE) return kez::tftUnicode_le;
  if (b[0] == 0xFE && b[1] == 0xFF) return kez::tftUnicode_be;
  if (b[0] == '{' && b[1] == '\\' && b[2] == 'r') return kez::tftRTF;
  return kez::tftUnknown;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const std::string_view bytes(reinterpret_cast<const char*>(Data), Size);
  if (kez::CheckTextFileType(kezfuzz::Scratch().Write(bytes)) != Model(bytes)) std::abort();
  return 0;
}
