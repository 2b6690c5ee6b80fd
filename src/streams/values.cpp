// Text writers and the binary value images.
#include "kez/streams/values.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "kez/streams/detail/x87.hpp"

namespace kez {

namespace {

// On x86 builds long double already is the x87 format: its first 10 bytes are the image
// and a NaN keeps its payload.
constexpr bool kNativeX87 = std::numeric_limits<long double>::digits == 64 &&
                            std::numeric_limits<long double>::max_exponent == 16384 &&
                            std::endian::native == std::endian::little;

template <std::size_t N>
void PutLittleEndian(std::uint64_t Bits, std::array<std::uint8_t, N>& Bytes) {
  for (std::size_t i = 0; i < N; ++i) Bytes[i] = static_cast<std::uint8_t>(Bits >> (8 * i));
}

template <std::size_t N>
std::uint64_t GetLittleEndian(const std::array<std::uint8_t, N>& Bytes) {
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < N; ++i) bits |= std::uint64_t{Bytes[i]} << (8 * i);
  return bits;
}

template <std::size_t N>
void WriteImage(TStream& Stream, std::uint64_t Bits) {
  std::array<std::uint8_t, N> bytes;
  PutLittleEndian(Bits, bytes);
  Stream.WriteBuffer(bytes.data(), N);
}

// Reads N bytes; false (and no exception) when the stream ends early or raises.
template <std::size_t N>
bool ReadImage(TStream& Stream, std::array<std::uint8_t, N>& Bytes) {
  try {
    Stream.ReadBuffer(Bytes.data(), N);
    return true;
  } catch (...) {
    return false;
  }
}

constexpr int kX87Bias = 16383;
constexpr int kX87MaxExp = 0x7FFF;
// A denormal's value is mantissa * 2^(1 - bias - 63).
constexpr int kX87DenormalShift = 1 - kX87Bias - 63;

}  // namespace

namespace detail {

X87Image EncodeX87Arithmetic(Extended Value) {
  std::uint64_t mantissa = 0;
  int exponent = 0;
  if (std::isnan(Value)) {
    exponent = kX87MaxExp;
    mantissa = 0xC000000000000000u;
  } else if (std::isinf(Value)) {
    exponent = kX87MaxExp;
    mantissa = 0x8000000000000000u;
  } else if (Value != 0) {
    int e = 0;
    const Extended f = std::frexp(std::fabs(Value), &e);  // |Value| = f * 2^e, f in [0.5, 1)
    exponent = e - 1 + kX87Bias;
    if (exponent >= kX87MaxExp) {
      mantissa = 0x8000000000000000u;
      exponent = kX87MaxExp;
    } else if (exponent >= 1) {
      mantissa = static_cast<std::uint64_t>(std::ldexp(f, 64));
    } else {
      exponent = 0;
      mantissa = static_cast<std::uint64_t>(std::ldexp(f, e - kX87DenormalShift));
    }
  }
  std::array<std::uint8_t, 8> low;
  PutLittleEndian(mantissa, low);
  X87Image image{};
  std::copy(low.begin(), low.end(), image.begin());
  const auto top = static_cast<std::uint16_t>(exponent | (std::signbit(Value) ? 0x8000 : 0));
  image[8] = static_cast<std::uint8_t>(top);
  image[9] = static_cast<std::uint8_t>(top >> 8);
  return image;
}

Extended DecodeX87Arithmetic(const X87Image& Image) {
  std::array<std::uint8_t, 8> low;
  std::copy_n(Image.begin(), 8, low.begin());
  const std::uint64_t mantissa = GetLittleEndian(low);
  const int top = Image[8] | (Image[9] << 8);
  const int exponent = top & kX87MaxExp;
  const bool negative = (top & 0x8000) != 0;
  Extended value;
  if (exponent == kX87MaxExp) {
    value = (mantissa << 1) == 0 ? std::numeric_limits<Extended>::infinity()
                                 : std::numeric_limits<Extended>::quiet_NaN();
  } else if (exponent == 0) {
    value = std::ldexp(static_cast<Extended>(mantissa), kX87DenormalShift);
  } else {
    value = std::ldexp(static_cast<Extended>(mantissa), exponent - kX87Bias - 63);
  }
  return negative ? -value : value;
}

X87Image EncodeX87(Extended Value) {
  if constexpr (kNativeX87) {
    X87Image image{};
    std::memcpy(image.data(), &Value, image.size());
    return image;
  } else {
    return EncodeX87Arithmetic(Value);
  }
}

Extended DecodeX87(const X87Image& Image) {
  if constexpr (kNativeX87) {
    Extended value = 0;
    std::memcpy(&value, Image.data(), Image.size());
    return value;
  } else {
    return DecodeX87Arithmetic(Image);
  }
}

}  // namespace detail

void WriteStringStream(TStream& Stream, StringView Text) {
  std::array<std::uint8_t, 4096> buffer;
  std::size_t filled = 0;
  for (const char16_t ch : Text) {
    buffer[filled++] = static_cast<std::uint8_t>(ch);
    if (filled == buffer.size()) {
      Stream.WriteBuffer(buffer.data(), static_cast<std::int64_t>(filled));
      filled = 0;
    }
  }
  Stream.WriteBuffer(buffer.data(), static_cast<std::int64_t>(filled));
}

void WriteLnStream(TStream& Stream, StringView Text) {
  WriteStringStream(Stream, Text);
  static constexpr std::uint8_t kCrLf[2] = {13, 10};
  Stream.WriteBuffer(kCrLf, 2);
}

void WriteLongintToStream(TStream& Stream, std::int32_t Value) {
  WriteImage<4>(Stream, std::bit_cast<std::uint32_t>(Value));
}

void WriteSingleToStream(TStream& Stream, float Value) {
  WriteImage<4>(Stream, std::bit_cast<std::uint32_t>(Value));
}

void WriteDoubleToStream(TStream& Stream, double Value) {
  WriteImage<8>(Stream, std::bit_cast<std::uint64_t>(Value));
}

void WriteExtendedToStream(TStream& Stream, Extended Value) {
  const detail::X87Image image = detail::EncodeX87(Value);
  Stream.WriteBuffer(image.data(), static_cast<std::int64_t>(image.size()));
}

std::int32_t ReadLongintFromStream(TStream& Stream, bool& Error) {
  std::array<std::uint8_t, 4> bytes;
  Error = !ReadImage(Stream, bytes);
  return Error ? 0
               : std::bit_cast<std::int32_t>(static_cast<std::uint32_t>(GetLittleEndian(bytes)));
}

float ReadSingleFromStream(TStream& Stream, bool& Error) {
  std::array<std::uint8_t, 4> bytes;
  Error = !ReadImage(Stream, bytes);
  return Error ? 0.0f : std::bit_cast<float>(static_cast<std::uint32_t>(GetLittleEndian(bytes)));
}

double ReadDoubleFromStream(TStream& Stream, bool& Error) {
  std::array<std::uint8_t, 8> bytes;
  Error = !ReadImage(Stream, bytes);
  return Error ? 0.0 : std::bit_cast<double>(GetLittleEndian(bytes));
}

Extended ReadExtendedFromStream(TStream& Stream, bool& Error) {
  detail::X87Image image;
  Error = !ReadImage(Stream, image);
  return Error ? 0.0L : detail::DecodeX87(image);
}

}  // namespace kez
