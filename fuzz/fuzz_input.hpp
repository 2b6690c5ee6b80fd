// Helpers shared by the fuzz targets: cutting one fuzzer input into parameters and texts,
// and a scratch file for the readers that only read text files.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "kez/platform/exceptions.hpp"
#include "kez/platform/textfile.hpp"
#include "kez/platform/types.hpp"

namespace kezfuzz {

// Consumes an input from the front: fixed-size values first, texts after. Past the end every
// value reads as zero, so short inputs still reach the code under test.
class Input {
 public:
  Input(const std::uint8_t* Data, std::size_t Size) : FData(Data), FSize(Size) {}

  std::uint8_t Byte() { return FPos < FSize ? FData[FPos++] : 0; }
  bool Flag() { return (Byte() & 1) != 0; }
  std::int32_t Int32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | Byte();
    return static_cast<std::int32_t>(v);
  }
  // A small number in 0 .. Limit - 1, or, one time in 16, a full 32-bit value (limits,
  // negatives) so that the edges of every position parameter are reached too.
  std::int32_t Position(std::int32_t Limit) {
    const std::uint8_t sel = Byte();
    if ((sel & 0x0F) == 0x0F) return Int32();
    return Limit > 0 ? static_cast<std::int32_t>(sel % Limit) : 0;
  }

  std::size_t Remaining() const { return FSize - FPos; }

  // The next bytes up to a 0xFF separator (or the end) as a byte text.
  std::string_view Bytes() {
    const std::size_t start = FPos;
    while (FPos < FSize && FData[FPos] != 0xFF) ++FPos;
    std::string_view s(reinterpret_cast<const char*>(FData + start), FPos - start);
    if (FPos < FSize) ++FPos;
    return s;
  }
  // The same as UTF-16 text: each byte is one character, except that 0xFE followed by two
  // bytes gives a character of any code (the readers must cope with codes above 255 too).
  kez::String Text() {
    kez::String s;
    for (char c : Bytes()) s.push_back(static_cast<unsigned char>(c));
    kez::String out;
    for (std::size_t i = 0; i < s.size(); ++i) {
      if (s[i] == 0xFE && i + 2 < s.size()) {
        out.push_back(static_cast<char16_t>((s[i + 1] << 8) | s[i + 2]));
        i += 2;
      } else {
        out.push_back(s[i]);
      }
    }
    return out;
  }
  // Everything not yet consumed.
  std::string_view Rest() {
    std::string_view s(reinterpret_cast<const char*>(FData + FPos), FSize - FPos);
    FPos = FSize;
    return s;
  }

 private:
  const std::uint8_t* FData;
  std::size_t FSize;
  std::size_t FPos = 0;
};

// A file of this process, rewritten with each input, for the readers that take an open text
// file. It lives in /dev/shm where that exists (a memory file system: the file targets run
// several times faster there), else in /tmp.
class ScratchFile {
 public:
  ScratchFile() {
    std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    pattern += "/kez_fuzz_XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) std::abort();
    close(fd);
    FPath = pattern;
  }
  ~ScratchFile() { std::remove(FPath.c_str()); }

  // Writes Bytes as the whole file and returns its name.
  kez::String Write(std::string_view Bytes) {
    std::FILE* f = std::fopen(FPath.c_str(), "wb");
    if (f == nullptr) std::abort();
    if (!Bytes.empty() && std::fwrite(Bytes.data(), 1, Bytes.size(), f) != Bytes.size())
      std::abort();
    std::fclose(f);
    return Name();
  }
  kez::String Name() const { return kez::String(FPath.begin(), FPath.end()); }

  // The whole file as bytes (what a writer put there).
  std::string Contents() const {
    std::string out;
    std::FILE* f = std::fopen(FPath.c_str(), "rb");
    if (f == nullptr) std::abort();
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) out.append(buf, n);
    std::fclose(f);
    return out;
  }

 private:
  std::string FPath;
};

// Scratch files for the process (libFuzzer runs inputs one after another): the input's file
// is number 0, the round-trip targets write to 1 and 2.
inline ScratchFile& Scratch(int Number = 0) {
  static ScratchFile files[3];
  return files[Number];
}

}  // namespace kezfuzz

namespace kezfuzz {

// Opens scratch file Number for reading, errors deferred, and returns what Read(file) gives;
// the file is closed after and an error left pending is dropped.
template <class ReadFn>
auto ReadScratch(int Number, ReadFn Read) {
  kez::TextFile f(Scratch(Number).Name());
  f.SetErrorMode(kez::iemDeferred);
  f.Reset();
  if (f.IOResult() != 0) std::abort();
  const auto result = Read(f);
  f.Close();
  f.IOResult();
  return result;
}

// Writes Bytes as scratch file 0 and reads it as above: the readers of whole files.
template <class ReadFn>
auto ReadBytes(std::string_view Bytes, ReadFn Read) {
  Scratch(0).Write(Bytes);
  return ReadScratch(0, Read);
}

// The round trip of a reader of text files: WriteFile puts Read's object into scratch file 1,
// ReadFile reads that into Fresh (it must succeed), and Fresh written to scratch file 2 must
// give the same bytes. Comparing what is written twice, not the objects, lets a writer round
// (numbers to a few digits, colours to 24 bits) on the first pass but not on the second.
template <class T, class ReadFn, class WriteFn>
bool CheckTextRoundTrip(T& Read, T& Fresh, ReadFn ReadFile, WriteFn WriteFile) {
  const auto write = [&](int Number, T& Obj) {
    kez::TextFile f(Scratch(Number).Name());
    f.Rewrite();
    WriteFile(f, Obj);
    f.Close();
    return Scratch(Number).Contents();
  };
  // An object read from a UTF-8 file may hold characters that the Windows-1252 file written
  // here cannot hold: the first write refuses them with EInOutError, and there is nothing to
  // read back. The result tells whether the round trip was checked.
  std::string first;
  try {
    first = write(1, Read);
  } catch (const kez::EInOutError&) {
    return false;
  }
  if (!ReadScratch(1, [&](kez::TextFile& f) { return ReadFile(f, Fresh) && f.IOResult() == 0; }))
    std::abort();
  if (write(2, Fresh) != first) std::abort();
  return true;
}

}  // namespace kezfuzz
