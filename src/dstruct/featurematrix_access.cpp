// TFeatureMatrix: descriptions, the text tests of the kinds, typed reading, writing and
// filling.
#include <cmath>

#include "kez/dstruct.hpp"
#include "kez/dstruct/numberscan.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/stringl/format.hpp"

namespace kez {
namespace {

// The value of an integer text: an optional sign followed by digits, no blanks, at least
// one digit, within 64 bits. False for any other text.
bool ParseIntegerText(StringView text, std::int64_t& value) {
  std::size_t i = 0;
  bool negative = false;
  if (!text.empty() && (text[0] == u'+' || text[0] == u'-')) {
    negative = text[0] == u'-';
    i = 1;
  }
  if (i == text.size()) return false;
  std::uint64_t magnitude = 0;
  const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
  for (; i < text.size(); ++i) {
    if (text[i] < u'0' || text[i] > u'9') return false;
    const auto digit = static_cast<std::uint64_t>(text[i] - u'0');
    if (magnitude > (limit - digit) / 10) return false;
    magnitude = magnitude * 10 + digit;
  }
  value = static_cast<std::int64_t>(negative ? 0 - magnitude : magnitude);
  return true;
}

bool IsIntegerText(StringView text) {
  std::int64_t value;
  return ParseIntegerText(text, value);
}

// A text that starts with a number: the decimal scan with "." as the only separator must
// end in its end state, with an exponent of at most 4200 in magnitude.
bool IsFloatText(StringView text) {
  if (text.empty()) return false;
  const TNumberScanResult scan = ScanNumberText(text, false);
  return scan.Valid && !scan.ExponentOverflow;
}

// "true", "false" in any case of A-Z, or the empty text.
bool IsTriStateText(StringView text) {
  const String lower = LowerCase(text);
  return lower.empty() || lower == u"true" || lower == u"false";
}

bool KnownKind(TFeatKind kind) { return kind <= fkTriState; }

// Name equality ignoring the case of A-Z, on Windows-1252 bytes.
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

void ClearFeatProps(TFeatProps& FeatProps) {
  FeatProps.FeatNum = 0;
  FeatProps.FeatName = "undefined";
  FeatProps.FeatKind = fkUndefined;
  FeatProps.Comment.clear();
  FeatProps.PresetValues.clear();
  FeatProps.Sorted = false;
  FeatProps.GUIElem = nullptr;
}

TFeatureMatrix::TFeatureMatrix(TComponent* AOwner) : TComponent(AOwner) {}

TFeatureMatrix::~TFeatureMatrix() = default;

void TFeatureMatrix::Changed() {
  CallHandler(FOnChange, this);
}

void TFeatureMatrix::Fail(StringView Text) const {
  RaiseComponentError<EKEZDStructError>(*this, Text);
}

void TFeatureMatrix::FailFeature(std::int32_t fix, StringView Text) const {
  Fail(u"feature " + IntToStr(fix) + String(Text));
}

void TFeatureMatrix::FailValue(StringView FeatVal, StringView Text) const {
  Fail(u"feature value \"" + String(FeatVal) + u"\"" + String(Text));
}

// ---- Descriptions -------------------------------------------------------------------------

TFeatProps TFeatureMatrix::GetFeatProps(std::int32_t fix) const {
  if (fix >= 1 && fix <= FNFeats) return FFeatProps[static_cast<std::size_t>(fix - 1)];
  TFeatProps props;
  ClearFeatProps(props);
  return props;
}

void TFeatureMatrix::SetFeatProps(std::int32_t fix, const TFeatProps& FeatProps) {
  if (fix < 1 || fix > FNFeats) return;
  TFeatProps props = FeatProps;
  if (props.FeatName.size() > kMaxFeatNameLength) props.FeatName.resize(kMaxFeatNameLength);
  if (props.Comment.size() > kMaxCommentLength) props.Comment.resize(kMaxCommentLength);
  if (!KnownKind(props.FeatKind)) props.FeatKind = fkUndefined;
  FFeatProps[static_cast<std::size_t>(fix - 1)] = std::move(props);
  Changed();
}

std::int32_t TFeatureMatrix::FindFeatName(std::string_view Name) const {
  for (std::int32_t i = 1; i <= FNFeats; ++i) {
    if (SameName(FFeatProps[static_cast<std::size_t>(i - 1)].FeatName, Name)) return i;
  }
  return -1;
}

std::int32_t TFeatureMatrix::FindFeatName(StringView Name) const {
  // A character without a Windows-1252 byte is in no name; it must not turn into the "?"
  // of the lossy conversion and match a name holding one.
  AnsiString bytes;
  bytes.reserve(Name.size());
  for (const char16_t ch : Name) {
    unsigned char b;
    if (!CharToAnsiCharExact(ch, b)) return -1;
    bytes.push_back(static_cast<char>(b));
  }
  return FindFeatName(std::string_view(bytes));
}

std::int32_t TFeatureMatrix::FindFeatNum(std::int32_t Num) const {
  for (std::int32_t i = 1; i <= FNFeats; ++i) {
    if (FFeatProps[static_cast<std::size_t>(i - 1)].FeatNum == Num) return i;
  }
  return -1;
}

// ---- Typed reading ------------------------------------------------------------------------

String TFeatureMatrix::GetFeatValStr(std::int32_t fix, std::int32_t obj) const {
  if (!InRange(fix, obj)) return String();
  if (KindOf(fix) == fkUndefined) FailFeature(fix, u" is undefined");
  return Cell(fix, obj);
}

std::int64_t TFeatureMatrix::GetFeatValInt(std::int32_t fix, std::int32_t obj) const {
  if (!InRange(fix, obj)) return 0;
  std::int64_t value = 0;
  if (!ParseIntegerText(Cell(fix, obj), value)) Fail(u"feature is not an integer");
  return value;
}

double TFeatureMatrix::GetFeatValDouble(std::int32_t fix, std::int32_t obj) const {
  if (!InRange(fix, obj)) return 0;
  const String& text = Cell(fix, obj);
  if (!IsFloatText(text)) Fail(u"feature is not a floating point number");
  return StrToFloat(text);
}

TTriState TFeatureMatrix::GetFeatValTriState(std::int32_t fix, std::int32_t obj) const {
  if (!InRange(fix, obj)) return tsUndefined;
  const String& text = Cell(fix, obj);
  if (!IsTriStateText(text)) Fail(u"feature is not a tri-state value");
  return StrToTriState(text);
}

// ---- Typed writing ------------------------------------------------------------------------

void TFeatureMatrix::SetFeatValint(std::int32_t fix, std::int32_t obj, std::int64_t FeatVal) {
  if (!InRange(fix, obj)) return;
  const TFeatKind kind = KindOf(fix);
  if (kind != fkInteger && kind != fkDouble && kind != fkString)
    Fail(u"feature is not of numeric or string type");
  Cell(fix, obj) = IntToStr(FeatVal);
  Changed();
}

void TFeatureMatrix::CheckFinite(std::int32_t fix, double FeatVal) const {
  if (KindOf(fix) == fkDouble && !std::isfinite(FeatVal))
    FailValue(FloatToStr(FeatVal), u" is not a valid floating point number");
}

void TFeatureMatrix::SetFeatValDouble(std::int32_t fix, std::int32_t obj, double FeatVal) {
  if (!InRange(fix, obj)) return;
  const TFeatKind kind = KindOf(fix);
  if (kind != fkDouble && kind != fkString) Fail(u"feature is not a floating point or string type");
  CheckFinite(fix, FeatVal);
  Cell(fix, obj) = FloatToStr(FeatVal);
  Changed();
}

void TFeatureMatrix::SetFeatValTriState(std::int32_t fix, std::int32_t obj, TTriState FeatVal) {
  if (!InRange(fix, obj)) return;
  const TFeatKind kind = KindOf(fix);
  if (kind != fkTriState && kind != fkString) Fail(u"feature is not a tri-state or string type");
  Cell(fix, obj) = TriStateToStr(FeatVal, 0);
  Changed();
}

void TFeatureMatrix::CheckText(std::int32_t fix, StringView FeatVal, bool EmptyNumbers) const {
  const bool emptyNumber = EmptyNumbers && FeatVal.empty();
  switch (KindOf(fix)) {
    case fkInteger:
      if (!emptyNumber && !IsIntegerText(FeatVal))
        FailValue(FeatVal, u" is not a valid integer number");
      return;
    case fkDouble:
      if (!emptyNumber && !IsFloatText(FeatVal))
        FailValue(FeatVal, u" is not a valid floating point number");
      return;
    case fkString:
      return;
    case fkTriState:
      if (!IsTriStateText(FeatVal)) FailValue(FeatVal, u" is not a valid tri-state value");
      return;
    default:  // fkUndefined
      FailFeature(fix, u" is undefined");
  }
}

void TFeatureMatrix::SetFeatValStr(std::int32_t fix, std::int32_t obj, StringView FeatVal) {
  if (!InRange(fix, obj)) return;
  CheckText(fix, FeatVal, true);
  Cell(fix, obj) = String(FeatVal);
  Changed();
}

// ---- Filling ------------------------------------------------------------------------------

void TFeatureMatrix::StoreAll(std::int32_t fix, const String& FeatVal) {
  // Assigning a text may allocate; build the new column first so that a failure leaves
  // the old one whole.
  std::vector<String> column;
  GuardAllocation<EKEZDStructError>(*this, u"not enough memory on heap", [&] {
    column.assign(static_cast<std::size_t>(FNObjs), FeatVal);
  });
  FFeatVals[static_cast<std::size_t>(fix - 1)].swap(column);
  Changed();
}

bool TFeatureMatrix::Fill(std::int32_t fix, StringView FeatVal) {
  if (fix < 1 || fix > FNFeats) return false;
  CheckText(fix, FeatVal, false);
  StoreAll(fix, String(FeatVal));
  return true;
}

bool TFeatureMatrix::Fill(std::int32_t fix, std::int64_t FeatVal) {
  if (fix < 1 || fix > FNFeats) return false;
  if (KindOf(fix) != fkInteger) FailFeature(fix, u" is not an integer number");
  StoreAll(fix, IntToStr(FeatVal));
  return true;
}

bool TFeatureMatrix::Fill(std::int32_t fix, double FeatVal) {
  if (fix < 1 || fix > FNFeats) return false;
  if (KindOf(fix) != fkDouble) FailFeature(fix, u" is not floating point number");
  CheckFinite(fix, FeatVal);
  StoreAll(fix, FloatToStr(FeatVal));
  return true;
}

bool TFeatureMatrix::Fill(std::int32_t fix, TTriState FeatVal) {
  if (fix < 1 || fix > FNFeats) return false;
  if (KindOf(fix) != fkTriState) FailFeature(fix, u" is not a tri-state value");
  StoreAll(fix, TriStateToStr(FeatVal, 0));
  return true;
}

}  // namespace kez
