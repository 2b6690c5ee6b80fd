// TStringArray: reading and writing cells, numeric reading, filling, emptiness tests and
// attributes.
#include <algorithm>
#include <cmath>

#include "kez/dstruct.hpp"
#include "kez/platform/sysutils.hpp"
#include "kez/stringl/chars.hpp"

namespace kez {

namespace {

bool BlanksOnly(std::string_view Text) {
  return std::all_of(Text.begin(), Text.end(), [](char ch) { return ch == ' '; });
}

}  // namespace

ShortString TStringArray::GetString(std::int32_t c, std::int32_t r) const {
  if (!InRange(c, r)) return {};
  return ShortString(CellBytes(c, PhysRow(r)));
}

void TStringArray::SetString(std::int32_t c, std::int32_t r, std::string_view s) {
  if (!InRange(c, r)) return;
  StorePhysical(c, PhysRow(r), s);
  Changed();
}

double TStringArray::ReadNumber(std::int32_t c, std::int32_t r) const {
  const String stored = AnsiToString(GetString(c, r));
  StringView text = stored;
  while (!text.empty() && text.front() == u' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == u' ') text.remove_suffix(1);
  if (text.empty()) return 0;
  const String number = ReplaceCharInString(text, u',', u'.');
  double value = 0;
  if (!TryParseDecimal(number, value)) {
    throw EKEZDStructError(u"Class TStringArray: invalid numeric string: [" + IntToStr(c) + u"," +
                           IntToStr(r) + u"]: " + stored);
  }
  return value;
}

double TStringArray::GetAsNumber(std::int32_t c, std::int32_t r) const { return ReadNumber(c, r); }

std::int32_t TStringArray::GetAsInteger(std::int32_t c, std::int32_t r) const {
  constexpr double kLimit = 2147483647.0;
  const double value = ReadNumber(c, r);
  if (value < -kLimit) return -2147483647;
  if (value > kLimit) return 2147483647;
  // nearbyint rounds in the default mode: to nearest, halves to the even neighbour.
  return static_cast<std::int32_t>(std::nearbyint(value));
}

void TStringArray::Fill(std::string_view s) {
  if (s.empty()) {
    Clear();
    return;
  }
  for (std::int32_t c = 0; c <= FNCol; ++c) {
    for (std::int32_t r = 1; r <= FNRow; ++r) SetString(c, r, s);
  }
}

bool TStringArray::ColumnEmpty(std::int32_t ACol) const {
  if (ACol < 0 || ACol > FNCol) return true;
  for (std::int32_t r = 1; r <= FNRow; ++r) {
    if (!BlanksOnly(CellBytes(ACol, PhysRow(r)))) return false;
  }
  return true;
}

bool TStringArray::RowEmpty(std::int32_t ARow) const {
  if (ARow < 1 || ARow > FNRow) return true;
  const std::int32_t p = PhysRow(ARow);
  for (std::int32_t c = 1; c <= FNCol; ++c) {
    if (!BlanksOnly(CellBytes(c, p))) return false;
  }
  return true;
}

std::uint8_t TStringArray::GetRowAttrib(std::int32_t r) const {
  if (r < 1 || r > FNRow) return 0;
  return FRowAttrib[static_cast<std::size_t>(PhysRow(r) - 1)];
}

void TStringArray::SetRowAttrib(std::int32_t r, std::uint8_t b) {
  if (r < 1 || r > FNRow) return;
  FRowAttrib[static_cast<std::size_t>(PhysRow(r) - 1)] = b;
  Changed();
}

std::uint8_t TStringArray::GetColAttrib(std::int32_t c) const {
  if (c < 1 || c > FNCol) return 0;
  return FColAttrib[static_cast<std::size_t>(c - 1)];
}

void TStringArray::SetColAttrib(std::int32_t c, std::uint8_t b) {
  if (c < 1 || c > FNCol) return;
  FColAttrib[static_cast<std::size_t>(c - 1)] = b;
  Changed();
}

}  // namespace kez
