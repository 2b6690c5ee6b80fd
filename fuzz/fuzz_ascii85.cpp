// DecodeASCII85 on arbitrary text; then the round trip of the decoded bytes through
// EncodeASCII85 and DecodeASCII85, which must give them back exactly.
#include <cstdlib>

#include "fuzz_input.hpp"
#include "kez/dstruct.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kez::TStringStream in(std::string_view(reinterpret_cast<const char*>(Data), Size));
  kez::TStringStream decoded;
  kez::DecodeASCII85(in, decoded);

  decoded.SetPosition(0);
  kez::TStringStream encoded;
  kez::EncodeASCII85(decoded, encoded);
  encoded.SetPosition(0);
  kez::TStringStream again;
  if (kez::DecodeASCII85(encoded, again) != 0) std::abort();
  if (again.DataString() != decoded.DataString()) std::abort();
  return 0;
}
