// The peers of the file checksums: the file read with read(2) in 64 KiB blocks, each block
// handed to zlib's crc32 or OpenSSL's SHA-1, as a user without the library would write it.
#pragma once

#include <fcntl.h>
#include <openssl/sha.h>
#include <unistd.h>
#include <zlib.h>

#include <vector>

namespace kez::bench {

// Calls Consume(bytes, count) for each block of the named file.
template <typename F>
void ForEachBlockOfFile(const char* Name, F Consume) {
  thread_local std::vector<unsigned char> block(1 << 16);
  const int fd = ::open(Name, O_RDONLY);
  if (fd < 0) return;
  for (ssize_t got; (got = ::read(fd, block.data(), block.size())) > 0;)
    Consume(block.data(), static_cast<std::size_t>(got));
  ::close(fd);
}

inline uLong ZlibCrc32OfFile(const char* Name) {
  uLong crc = crc32(0, nullptr, 0);
  ForEachBlockOfFile(Name, [&](const unsigned char* Bytes, std::size_t Count) {
    crc = crc32(crc, Bytes, static_cast<uInt>(Count));
  });
  return crc;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
inline void OpenSslSha1OfFile(const char* Name, unsigned char (&Digest)[SHA_DIGEST_LENGTH]) {
  SHA_CTX ctx;
  SHA1_Init(&ctx);
  ForEachBlockOfFile(Name, [&](const unsigned char* Bytes, std::size_t Count) {
    SHA1_Update(&ctx, Bytes, Count);
  });
  SHA1_Final(Digest, &ctx);
}
#pragma GCC diagnostic pop

}  // namespace kez::bench
