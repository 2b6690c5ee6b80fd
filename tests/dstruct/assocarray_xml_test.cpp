#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

#include "kez/dstruct.hpp"
#include "kez/platform/stream.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/streams.hpp"
#include "support/test_support.hpp"

namespace kez {
namespace {

// Same kind and the same value, floats compared bit for bit.
::testing::AssertionResult Identical(const Variant& a, const Variant& b) {
  if (a.VarType() != b.VarType()) {
    return ::testing::AssertionFailure() << "type " << a.VarType() << " vs " << b.VarType();
  }
  bool same = false;
  switch (a.VarType()) {
    case varSingle:
      same = std::bit_cast<std::uint32_t>(static_cast<float>(a.ToDouble())) ==
             std::bit_cast<std::uint32_t>(static_cast<float>(b.ToDouble()));
      break;
    case varDouble:
      same =
          std::bit_cast<std::uint64_t>(a.ToDouble()) == std::bit_cast<std::uint64_t>(b.ToDouble());
      break;
    case varString:
      same = a.ToAnsiString() == b.ToAnsiString();
      break;
    default:
      same = a == b;
  }
  if (same) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << test::U8(a.ToString()) << " vs " << test::U8(b.ToString());
}

std::string AllBytes() {
  std::string s;
  for (int b = 0; b < 256; ++b) s.push_back(static_cast<char>(b));
  return s;
}

void Fill(TAssocArray& a) {
  a.Add(u"i8", std::int8_t{-128});
  a.Add(u"u8", std::uint8_t{255});
  a.Add(u"i16", std::int16_t{-32768});
  a.Add(u"u16", std::uint16_t{65535});
  a.Add(u"i32", std::int32_t{INT32_MIN});
  a.Add(u"u32", std::uint32_t{4294967295u});
  a.Add(u"i64", std::int64_t{INT64_MIN});
  a.Add(u"single", 0.1f);
  a.Add(u"single-denormal", std::numeric_limits<float>::denorm_min());
  a.Add(u"single-nan", std::numeric_limits<float>::quiet_NaN());
  a.Add(u"double", 3.141592653589793);
  a.Add(u"double-neg-zero", -0.0);
  a.Add(u"double-tiny", 4.9e-324);
  a.Add(u"double-inf", -std::numeric_limits<double>::infinity());
  a.Add(u"double-nan", std::bit_cast<double>(std::uint64_t{0x7FF8000000000123}));
  a.Add(u"currency", Currency{INT64_MIN});
  a.Add(u"true", true);
  a.Add(u"false", false);
  a.Add(u"null", Null());
  a.Add(u"empty", Variant());
  a.Add(u"ansi-all-bytes", AllBytes());
  a.Add(u"ansi-empty", AnsiString());
  a.Add(u"wide", String(u"  \"<a & b>\" %41 \r\n\u20AC\U0001F600 "));
  a.Add(u"  key with \"quotes\" <&> = ", std::int32_t{1});
  a.Add(u"", std::int32_t{2});
  a.SetKeys(1, u"MixedCase");
}

TEST(AssocArrayXML, EveryKindRoundTripsExactly) {
  TAssocArray a(nullptr);
  Fill(a);
  TMemoryStream m;
  a.WriteToXMLStream(m, true, u"Set 1");
  m.SetPosition(0);
  TAssocArray b(nullptr);
  b.Add(u"old", std::int32_t{9});
  ASSERT_TRUE(b.ReadFromXMLStream(m, u"set 1"));
  EXPECT_EQ(b.DataID(), u"Set 1");
  ASSERT_EQ(b.NumEntries(), a.NumEntries());
  for (std::int32_t i = 1; i <= a.NumEntries(); ++i) {
    // Read by the rule of Add: keys are lower-cased, as IgnoreCase is on.
    EXPECT_EQ(b.Keys(i), LowerCase(a.Keys(i))) << i;
    EXPECT_TRUE(Identical(b.Values(i), a.Values(i))) << test::U8(a.Keys(i));
  }
  EXPECT_TRUE(b.Resolve(u"old").IsNull());
  EXPECT_EQ(b.ResolveAsInt(u"mixedcase"), -128);
}

TEST(AssocArrayXML, BlocksAreFoundByIdentifierInAnyOrder) {
  TAssocArray first(nullptr), second(nullptr);
  first.Add(u"which", std::int32_t{1});
  second.Add(u"which", std::int32_t{2});
  second.Add(u"more", 2.5);
  TMemoryStream m;
  WriteLnStream(m, u"<other stuff=\"x\">text</other>");
  first.WriteToXMLStream(m, false, u"one");
  second.WriteToXMLStream(m, false, u"two");
  for (const char16_t* id : {u"two", u"one", u"TWO", u""}) {
    m.SetPosition(0);
    TAssocArray r(nullptr);
    // An empty identifier selects a block without one, and there is none.
    ASSERT_EQ(r.ReadFromXMLStream(m, id), String(id) != u"") << test::U8(id);
    const std::int32_t want = String(id) == u"one" ? 1 : String(id).empty() ? 0 : 2;
    EXPECT_EQ(r.ResolveAsInt(u"which"), want) << test::U8(id);
  }
  // Without rewinding, the blocks come in writing order.
  m.SetPosition(0);
  TAssocArray r(nullptr);
  EXPECT_TRUE(r.ReadFromXMLStream(m, u"one"));
  EXPECT_TRUE(r.ReadFromXMLStream(m, u"two"));
  EXPECT_EQ(r.ResolveAsInt(u"which"), 2);
  EXPECT_FALSE(r.ReadFromXMLStream(m, u"one"));
  m.SetPosition(0);
  EXPECT_FALSE(r.ReadFromXMLStream(m, u"three"));
  EXPECT_EQ(r.NumEntries(), 2);
}

// Reading a damaged block gives false and keeps the table as it was.
void ExpectRejected(const std::string& bytes) {
  TAssocArray r(nullptr);
  r.Add(u"keep", std::int32_t{7});
  TStringStream m(bytes);
  EXPECT_FALSE(r.ReadFromXMLStream(m, u"id")) << bytes;
  EXPECT_EQ(r.NumEntries(), 1) << bytes;
  EXPECT_EQ(r.ResolveAsInt(u"keep"), 7) << bytes;
}

TEST(AssocArrayXML, TruncatedBlocksAreRejected) {
  TAssocArray a(nullptr);
  a.Add(u"k1", std::int32_t{1});
  a.Add(u"k2", String(u"two"));
  TMemoryStream m;
  a.WriteToXMLStream(m, false, u"id");
  const std::string whole(reinterpret_cast<const char*>(m.Memory()),
                          static_cast<std::size_t>(m.Size()));
  // A cut that loses only the end tag's ">" still holds the whole block.
  const std::size_t end = whole.rfind("</assocarray>");
  for (std::size_t cut = 0; cut < end + 12; ++cut) ExpectRejected(whole.substr(0, cut));
}

TEST(AssocArrayXML, MalformedBlocksAreRejected) {
  const std::string head = "<assocarray sig=\"kez\" vers=\"1.0\" id=\"id\">\r\n";
  const std::string tail = "</assocarray>\r\n";
  const char* bodies[] = {
      "<numentries val=\"1\"/><assoc key=\"a\" type=\"99\" val=\"1\"/>",
      "<numentries val=\"1\"/><assoc key=\"a\" type=\"3\" val=\"x\"/>",
      "<numentries val=\"1\"/><assoc key=\"a\" type=\"2\" val=\"40000\"/>",
      "<numentries val=\"1\"/><assoc key=\"a\" type=\"17\" val=\"-1\"/>",
      "<numentries val=\"1\"/><assoc key=\"a\" type=\"5\" val=\"1.5q\"/>",
      "<numentries val=\"1\"/><assoc key=\"a\" type=\"11\" val=\"yes\"/>",
      "<numentries val=\"1\"/><assoc key=\"%G1\" type=\"3\" val=\"1\"/>",
      "<numentries val=\"1\"/><assoc key=\"a\" type=\"256\" val=\"%u0100\"/>",
      "<numentries val=\"2\"/><assoc key=\"a\" type=\"3\" val=\"1\"/>",
      "<assoc key=\"a\" type=\"3\" val=\"1\"/>",
      "<numentries val=\"-1\"/>",
      "<numentries val=\"0\"/><numentries val=\"0\"/>",
  };
  for (const char* body : bodies) ExpectRejected(head + body + "\r\n" + tail);
  // The same frame with a sound body is accepted.
  TAssocArray r(nullptr);
  TStringStream ok(head + "<numentries val=\"1\"/><assoc key=\"a\" type=\"3\" val=\"1\"/><x/>\r\n" +
                   tail);
  EXPECT_TRUE(r.ReadFromXMLStream(ok, u"id"));
  EXPECT_EQ(r.ResolveAsInt(u"a"), 1);
}

TEST(AssocArrayXML, HandWrittenBlocksAreReadByTagsAndTheRuleOfAdd) {
  auto read = [](const std::string& bytes, StringView id, TAssocArray& into) {
    TStringStream m(bytes);
    return into.ReadFromXMLStream(m, id);
  };
  TAssocArray a(nullptr);
  // One line, no attributes, keys equal ignoring case: the later value replaces.
  ASSERT_TRUE(
      read("<!-- <assocarray> --><assocarray><numentries val=\"3\"/><assoc key=\"A\" "
           "type=\"3\" val=\"1\"/><assoc key=\"b\" type=\"3\" val=\"2\"/><assoc key=\"a\" "
           "type=\"3\"\r\n val=\"3\"/></assocarray>",
           u"", a));
  ASSERT_EQ(a.NumEntries(), 2);
  EXPECT_EQ(a.Keys(1), u"a");
  EXPECT_EQ(a.ResolveAsInt(u"a"), 3);
  // With IgnoreCase off the two keys differ.
  TAssocArray exact(nullptr);
  exact.SetIgnoreCase(false);
  ASSERT_TRUE(
      read("<assocarray id=\"x\"\r\n><numentries val=\"2\"/><assoc key=\"A\" type=\"3\" "
           "val=\"1\"/><assoc key=\"a\" type=\"3\" val=\"3\"/></assocarray>",
           u"X", exact));
  EXPECT_EQ(exact.NumEntries(), 2);
  // Raw bytes read through the code page: text keys and values get the characters, single-
  // byte values the bytes.
  TAssocArray raw(nullptr);
  ASSERT_TRUE(
      read("<assocarray id=\"r\"><numentries val=\"2\"/><assoc key=\"\x80\" type=\"258\" "
           "val=\"\x80\x9F\"/><assoc key=\"k\" type=\"256\" val=\"\x80\x9F\"/></assocarray>",
           u"r", raw));
  EXPECT_EQ(raw.ResolveAsString(u"\u20AC"), u"\u20AC\u0178");
  EXPECT_EQ(raw.Resolve(u"k").ToAnsiString(), "\x80\x9F");
}

TEST(AssocArrayXML, AnEmptyTableRoundTrips) {
  TAssocArray a(nullptr), b(nullptr);
  b.Add(u"x", std::int32_t{1});
  TMemoryStream m;
  a.WriteToXMLStream(m, false, u"");
  m.SetPosition(0);
  EXPECT_TRUE(b.ReadFromXMLStream(m, u""));
  EXPECT_EQ(b.NumEntries(), 0);
  b.Add(u"y", std::int32_t{2});
  EXPECT_EQ(b.ResolveAsInt(u"y"), 2);
}

}  // namespace
}  // namespace kez

namespace kez {
namespace {

TEST(AssocArray, AddXMLAttributes) {
  TAssocArray a(nullptr);
  a.Add(u"x", std::int32_t{1});
  EXPECT_EQ(a.AddXMLAttributes(u"X=\"a b\" Count=12  ratio=1,5 flag"), 4);
  EXPECT_EQ(a.NumEntries(), 4);
  EXPECT_EQ(a.ResolveAsString(u"x"), u"a b");
  EXPECT_EQ(a.Resolve(u"count").VarType(), varUString);
  EXPECT_EQ(a.ResolveAsInt(u"count"), 12);
  EXPECT_EQ(a.ResolveAsNumber(u"RATIO"), 1.5);
  EXPECT_EQ(a.ResolveAsString(u"flag"), u"");
  EXPECT_EQ(a.Keys(2), u"count");
  // A syntax error stops the list; what came before stays.
  EXPECT_EQ(a.AddXMLAttributes(u"p=1 q==2 r=3"), 1);
  EXPECT_EQ(a.ResolveAsInt(u"p"), 1);
  EXPECT_TRUE(a.Resolve(u"r").IsNull());
  EXPECT_EQ(a.AddXMLAttributes(u"   "), 0);
  EXPECT_EQ(a.AddXMLAttributes(u""), 0);
}

}  // namespace
}  // namespace kez
