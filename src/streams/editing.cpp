// Line extraction and search-and-replace on byte streams.
#include "kez/streams/editing.hpp"

#include <algorithm>
#include <array>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "kez/platform/sysutils.hpp"
#include "streams/matcher.hpp"

namespace kez {

namespace {

using Bytes = std::string;

// The rest of the stream from its position.
Bytes ReadRest(TStream& Stream) {
  Bytes data;
  std::array<char, 4096> block;
  std::int64_t n;
  while ((n = Stream.Read(block.data(), static_cast<std::int64_t>(block.size()))) > 0) {
    data.append(block.data(), static_cast<std::size_t>(n));
  }
  return data;
}

char LowerByte(char Byte) {
  return static_cast<char>(LoCaseASCII(static_cast<unsigned char>(Byte)));
}

Bytes Lowered(Bytes Text) {
  std::transform(Text.begin(), Text.end(), Text.begin(), LowerByte);
  return Text;
}

Bytes UpperedBytes(Bytes Text) {
  std::transform(Text.begin(), Text.end(), Text.begin(), [](char b) {
    return static_cast<char>(UpCaseASCII(static_cast<unsigned char>(b)));
  });
  return Text;
}

// The bytes of a text that is to match stream bytes; false when a character lies above 255
// (such a text can never match).
bool MatchBytes(StringView Text, bool IgnoreCase, Bytes& Out) {
  Out.clear();
  for (const char16_t ch : Text) {
    if (ch > 255) return false;
    Out.push_back(static_cast<char>(IgnoreCase ? LoCaseASCII(ch) : ch));
  }
  return true;
}

// The low bytes of a text's characters.
Bytes LowBytes(StringView Text) {
  Bytes out;
  out.reserve(Text.size());
  for (const char16_t ch : Text) out.push_back(static_cast<char>(ch));
  return out;
}

void StoreAll(TMemoryStream& Target, const Bytes& Data) {
  Target.Clear();
  Target.WriteBuffer(Data.data(), static_cast<std::int64_t>(Data.size()));
  Target.SetPosition(0);
}

// Appends one expansion of the replacement template for the occurrence Found.
void ExpandReplacement(StringView Template, StringView Brackets, std::string_view Found,
                       std::int32_t Number, const TSRUnknownModifierEvent& OnUnknown, Bytes& Out) {
  if (Brackets.size() != 2) {
    Out += LowBytes(Template);
    return;
  }
  std::size_t pos = 0;
  while (pos < Template.size()) {
    const std::size_t open = Template.find(Brackets[0], pos);
    const std::size_t close =
        open == StringView::npos ? StringView::npos : Template.find(Brackets[1], open + 1);
    if (close == StringView::npos) {
      Out += LowBytes(Template.substr(pos));
      return;
    }
    Out += LowBytes(Template.substr(pos, open - pos));
    const StringView command = Template.substr(open + 1, close - open - 1);
    if (command == u"s") {
      Out += Found;
    } else if (command == u"u") {
      Out += UpperedBytes(Bytes(Found));
    } else if (command == u"l") {
      Out += Lowered(Bytes(Found));
    } else if (command == u"n") {
      Out += StringToAnsi(IntToStr(Number));
    } else if (OnUnknown) {
      String substring;
      OnUnknown(String(command), substring);
      Out += LowBytes(substring);
    } else {
      Out += LowBytes(Template.substr(open, close - open + 1));
    }
    pos = close + 1;
  }
}

}  // namespace

std::int32_t ExtractFromStream(TStream& Stream, TMemoryStream& Dest, const TStrings& Keys) {
  std::vector<detail::Matcher<char>> keys;
  for (const String& key : Keys) {
    Bytes bytes;
    if (!key.empty() && MatchBytes(key, true, bytes)) keys.emplace_back(bytes);
  }
  const Bytes data = ReadRest(Stream);
  std::int32_t copied = 0;
  for (std::size_t start = 0; start < data.size();) {
    std::size_t end = data.find('\n', start);
    end = end == Bytes::npos ? data.size() : end + 1;
    const std::string_view line = std::string_view(data).substr(start, end - start);
    const bool hit = std::any_of(keys.begin(), keys.end(), [&](detail::Matcher<char>& key) {
      key.Reset();
      return std::any_of(line.begin(), line.end(), [&](char b) { return key.Feed(LowerByte(b)); });
    });
    // The count stops at the largest 32-bit value; the lines are all copied.
    if (hit) {
      Dest.WriteBuffer(data.data() + start, static_cast<std::int64_t>(end - start));
      if (copied < std::numeric_limits<std::int32_t>::max()) ++copied;
    }
    start = end;
  }
  return copied;
}

std::int32_t SearchAndReplace(TMemoryStream& Source, TMemoryStream& Target, StringView SearchText,
                              StringView ReplaceText, bool IgnoreCase, std::int32_t StartPos,
                              std::int32_t MaxCount, StringView Brackets,
                              const TSRUnknownModifierEvent& OnUnknownModifier) {
  const Bytes data(reinterpret_cast<const char*>(Source.Memory()),
                   static_cast<std::size_t>(Source.Size()));
  Bytes pattern;
  if (SearchText.empty() || !MatchBytes(SearchText, IgnoreCase, pattern)) {
    StoreAll(Target, data);
    return 0;
  }
  // At most 2147483647 replacements, so that the count cannot wrap.
  const std::int32_t limit = MaxCount <= 0 ? std::numeric_limits<std::int32_t>::max() : MaxCount;
  detail::Matcher<char> matcher(pattern);
  const std::size_t first = StartPos < 1 ? 0 : static_cast<std::size_t>(StartPos) - 1;
  std::size_t copiedUpTo = 0;  // bytes of data already in the result
  std::int32_t count = 0;
  Bytes result;
  result.reserve(data.size());
  for (std::size_t pos = first; pos < data.size() && count < limit; ++pos) {
    if (!matcher.Feed(IgnoreCase ? LowerByte(data[pos]) : data[pos])) continue;
    const std::size_t at = pos + 1 - pattern.size();
    result.append(data, copiedUpTo, at - copiedUpTo);
    ++count;
    ExpandReplacement(ReplaceText, Brackets, std::string_view(data).substr(at, pattern.size()),
                      count, OnUnknownModifier, result);
    copiedUpTo = pos + 1;
    matcher.Reset();  // occurrences do not overlap
  }
  result.append(data, copiedUpTo);
  StoreAll(Target, result);
  return count;
}

}  // namespace kez
