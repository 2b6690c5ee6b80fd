// The tag scanner: reads every tag of a byte stream with ReadNextTagInStream and picks the
// attributes of each apart with ListXMLAttribs and ScanForXMLAttrib (by every listed name
// and by one from the input); also the stream searches ScanStreamForXMLTag and
// ReadStreamUntilTagList. Each loop must end with the stream, so its rounds are counted.
#include <cstdlib>
#include <vector>

#include "fuzz_input.hpp"
#include "kez/streams.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kezfuzz::Input in(Data, Size);
  const std::uint8_t mode = in.Byte();
  const kez::String name = in.Text();
  const kez::String tag1 = in.Text();
  const kez::String tag2 = in.Text();
  const std::string_view body = in.Rest();
  const std::int64_t limit = static_cast<std::int64_t>(body.size()) + 2;

  const std::vector<kez::String> tags =
      mode & 1 ? std::vector<kez::String>{tag1, tag2, u""} : std::vector<kez::String>{tag1, tag2};
  kez::String attrs, contents;
  {
    kez::TStringStream s(body);
    std::int64_t rounds = 0;
    while (s.Position() < s.Size()) {
      const std::int32_t ix = kez::ReadNextTagInStream(s, tags, attrs, contents);
      if (ix < -1 || ix >= static_cast<std::int32_t>(tags.size())) std::abort();
      for (const auto& [n, v] : kez::ListXMLAttribs(attrs)) kez::ScanForXMLAttrib(attrs, n);
      kez::ScanForXMLAttrib(attrs, name);
      if (++rounds > limit) std::abort();
    }
  }
  {
    kez::TStringStream s(body);
    std::int64_t rounds = 0;
    while (kez::ScanStreamForXMLTag(s, name, attrs, contents)) {
      if (++rounds > limit) std::abort();
    }
  }
  {
    kez::TStringStream s(body);
    std::int32_t ix = 0;
    std::int64_t rounds = 0;
    do {
      kez::ReadStreamUntilTagList(s, tags, ix);
      if (ix >= 0) kez::ReadNextTagInStream(s, tags, attrs, contents);
      if (++rounds > limit) std::abort();
    } while (ix >= 0 && s.Position() < s.Size());
  }
  kez::ListXMLAttribs(name);
  return 0;
}
