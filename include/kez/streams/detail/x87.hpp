/// @file
/// The 10-byte x87 extended image, built arithmetically so that builds whose long double is
/// not the x87 format read and write the same bytes. Internal: clients use the stream
/// functions of kez/streams/values.hpp.
#pragma once

#include <array>
#include <cstdint>

#include "kez/platform/types.hpp"

namespace kez::detail {

using X87Image = std::array<std::uint8_t, 10>;

/// EncodeX87
/// The image of Value: little-endian 64-bit mantissa with its explicit integer bit, then the
/// 15-bit biased exponent and the sign bit. Values beyond the x87 range become infinities,
/// values below its smallest denormal become zeros (keeping the sign); NaNs become the quiet
/// NaN of that sign. Finite x87-format values round-trip exactly.
X87Image EncodeX87(Extended Value);

/// DecodeX87
/// The value of an image, rounded to the build's long double. Exponent 0x7FFF with a zero
/// fraction is an infinity, with any other fraction a NaN.
Extended DecodeX87(const X87Image& Image);

/// EncodeX87Arithmetic / DecodeX87Arithmetic
/// The same conversions built from frexp and ldexp alone, which EncodeX87 and DecodeX87 use
/// where long double is not the x87 format (on x86 they copy the bytes). NaN payloads are
/// not kept; mantissa bits beyond 64 are cut off.
X87Image EncodeX87Arithmetic(Extended Value);
Extended DecodeX87Arithmetic(const X87Image& Image);

}  // namespace kez::detail
