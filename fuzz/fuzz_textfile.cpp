// The text-file layer on a file of arbitrary bytes: ReadLn, ReadChar and ReadInteger in an
// order chosen by the input until the end of the file, in the raising error mode (a bad
// integer raises EInOutError, which is caught and the file read on) or the deferred one.
#include <cstdlib>

#include "fuzz_input.hpp"
#include "kez/platform/exceptions.hpp"
#include "kez/platform/textfile.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kezfuzz::Input in(Data, Size);
  const bool deferred = in.Flag();
  const std::string_view ops = in.Bytes();
  const kez::String path = kezfuzz::Scratch().Write(in.Rest());

  kez::TextFile f(path);
  f.SetErrorMode(deferred ? kez::iemDeferred : kez::iemRaise);
  f.Reset();
  std::size_t op = 0;
  kez::String line;
  for (std::size_t rounds = 0; !f.Eof(); ++rounds) {
    if (rounds > Size + 8) std::abort();  // every round must consume something
    const int kind = ops.empty() ? 0 : static_cast<unsigned char>(ops[op++ % ops.size()]) % 3;
    try {
      switch (kind) {
        case 0:
          f.ReadLn(line);
          break;
        case 1:
          f.ReadChar();
          break;
        default:
          f.ReadInteger();
          break;
      }
    } catch (const kez::EInOutError&) {
    }
    if (f.IOResult() != 0) {
      try {
        f.ReadLn();  // skip the faulty line, as a caller would
      } catch (const kez::EInOutError&) {
      }
    }
  }
  f.Close();
  return 0;
}
