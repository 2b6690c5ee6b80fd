// ReadHeaderOfASC on arbitrary bytes, in both forms: the stream form from a start position
// of the input, the file form on the same bytes as a file. The status is one each form can
// give, and the stream is left within its bytes and no further back than it started.
#include <cstdlib>

#include "fuzz_input.hpp"
#include "kez/filesys.hpp"
#include "kez/streams.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kezfuzz::Input in(Data, Size);
  const std::int32_t start = in.Position(16);
  const std::string_view bytes = in.Rest();

  kez::TStringStream s(bytes);
  const std::int64_t from = start < 0 ? 0 : std::min<std::int64_t>(start, bytes.size());
  s.SetPosition(from);
  kez::String comment;
  std::int32_t first = 7, second = 7;
  bool f1 = true, f2 = true, f3 = true, f4 = true;
  const int status = kez::ReadHeaderOfASC(s, comment, first, second, f1, f2, f3, f4);
  if (status != 0 && status != -3) std::abort();
  if (s.Position() < from || s.Position() > static_cast<std::int64_t>(bytes.size())) std::abort();
  if (comment.size() > bytes.size()) std::abort();

  kezfuzz::Scratch().Write(bytes);
  const int fileStatus =
      kez::ReadHeaderOfASC(kezfuzz::Scratch().Name(), comment, first, second, f1, f2, f3, f4);
  if (fileStatus < -4 || fileStatus > 0) std::abort();
  return 0;
}
