/// @file
/// Byte streams: the abstract TStream and its memory, file and string kinds.
///
/// @code
///   kez::TMemoryStream m;
///   m.WriteBuffer("abc", 3);
///   m.SetPosition(0);
///   char c; m.Read(&c, 1);            // 'a'
/// @endcode
///
/// Threads: separate objects may be used from separate threads at once; one object belongs to
/// one thread at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "kez/platform/classes.hpp"
#include "kez/platform/export.hpp"
#include "kez/platform/types.hpp"

namespace kez {
KEZ_API_BEGIN

/// TSeekOrigin: what a Seek offset counts from: the start of the stream, the current position, or
/// the end.
enum TSeekOrigin : std::uint8_t { soBeginning, soCurrent, soEnd };

/// TStream
/// A sequence of bytes with a 64-bit position. Read and Write move as many bytes as they can
/// and return the count; ReadBuffer and WriteBuffer insist on the whole count. Positions and
/// counts at the ends of the 64-bit range fail cleanly: a position that cannot be reached
/// raises EStreamError, a memory block that cannot be had raises EOutOfMemory.
class TStream : public TObject {
 public:
  /// Read
  /// Reads up to Count bytes into Buffer and returns how many were read: 0 at the end of
  /// the stream (never an error), 0 for a Count of 0 or less.
  virtual std::int64_t Read(void* Buffer, std::int64_t Count) = 0;

  /// Write
  /// Writes up to Count bytes and returns how many were written (0 for a Count of 0 or less).
  virtual std::int64_t Write(const void* Buffer, std::int64_t Count) = 0;

  /// Seek
  /// Moves the position relative to Origin and returns the new position. Positions past
  /// the end are allowed (reads there give 0 bytes); a negative result is clamped to 0; a
  /// result beyond the 64-bit range raises EStreamError and leaves the position alone.
  virtual std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) = 0;

  /// ReadBuffer / WriteBuffer
  /// Move exactly Count bytes or raise EReadError ("Stream read error") / EWriteError
  /// ("Stream write error"). A Count of 0 or less does nothing.
  ///@{
  void ReadBuffer(void* Buffer, std::int64_t Count);
  void WriteBuffer(const void* Buffer, std::int64_t Count);
  ///@}

  /// Position / SetPosition: the current position in bytes from the start (Seek from the beginning,
  /// with Seek's limits).
  ///@{
  std::int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(std::int64_t Pos) { Seek(Pos, soBeginning); }
  ///@}

  /// Size / SetSize
  /// The length in bytes. SetSize truncates or extends (with zero bytes); the position
  /// stays where it was unless it lay past the new end, then it moves to the end. A negative
  /// size raises EStreamError; streams that cannot change their size raise it too.
  ///@{
  virtual std::int64_t Size();
  virtual void SetSize(std::int64_t NewSize);
  ///@}

  /// Flush
  /// Hands bytes the stream still holds back (a file stream's write buffer) to their
  /// destination, raising EWriteError when that fails. Streams without a buffer do nothing.
  virtual void Flush() {}

  /// CopyFrom
  /// Copies Count bytes from Source's position into this stream and returns the count.
  /// A Count of 0 copies the whole of Source from its start; a negative Count copies
  /// nothing and gives 0. Short sources raise EReadError.
  std::int64_t CopyFrom(TStream& Source, std::int64_t Count);
};

/// TMemoryStream
/// A stream over a growable block of memory. Writing past the end extends it (the gap
/// holds zero bytes); a block that cannot be allocated raises EOutOfMemory.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;

  std::int64_t Read(void* Buffer, std::int64_t Count) final;
  std::int64_t Write(const void* Buffer, std::int64_t Count) final;
  std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) final;
  std::int64_t Size() final { return static_cast<std::int64_t>(FData.size()); }
  void SetSize(std::int64_t NewSize) final;

  /// Memory
  /// The stream's bytes (Size() of them); valid until the next write or resize.
  ///@{
  std::uint8_t* Memory() { return FData.data(); }
  const std::uint8_t* Memory() const { return FData.data(); }
  ///@}

  /// Clear
  /// Empties the stream and sets the position to 0.
  void Clear();

  /// LoadFromStream / SaveToStream / LoadFromFile / SaveToFile
  /// Replace the contents with the whole of another stream or file (position 0 after), or
  /// write the whole contents out. File errors raise EFOpenError / EFCreateError; a file
  /// that cannot take the bytes (disk full) raises EWriteError from SaveToFile. SaveToFile
  /// replaces the file whole (see TFileSaver): on any failure the previous file stays as it
  /// was and nothing is left beside it. Loading reads the source to its end, so a source
  /// that cannot tell its size (a pipe, a FIFO, a /proc file that reports 0) loads whole;
  /// one that ends before the size it tells raises EReadError, and one larger than the
  /// machine's memory raises EOutOfMemory (the contents stay as they were on both).
  ///@{
  void LoadFromStream(TStream& Source);
  void SaveToStream(TStream& Dest);
  void LoadFromFile(StringView FileName);
  void SaveToFile(StringView FileName);
  ///@}

 protected:
  std::vector<std::uint8_t> FData;  ///< The contents.
  std::int64_t FPosition = 0;  ///< The position in bytes from the start.
};

/// TStringStream
/// A memory stream initialised from a single-byte text; DataString returns its bytes.
class TStringStream : public TMemoryStream {
 public:
  /// A stream holding the bytes of AString, positioned at 0.
  explicit TStringStream(std::string_view AString = {});
  /// The UTF-16 text is stored as Windows-1252 bytes.
  explicit TStringStream(StringView AString);

  /// The whole contents as a single-byte text.
  AnsiString DataString() const { return AnsiString(FData.begin(), FData.end()); }

  /// WriteString / ReadString
  /// Write the bytes of a text at the position; read up to Count bytes as a text.
  ///@{
  void WriteString(std::string_view AString);
  AnsiString ReadString(std::int64_t Count);
  ///@}
};

/// Open modes and sharing flags of TFileStream, combined with "|".
inline constexpr std::uint16_t fmCreate = 0xFF00;  ///< Create or empty the file; read and write.
inline constexpr std::uint16_t fmOpenRead = 0x0000;  ///< Open an existing file for reading.
inline constexpr std::uint16_t fmOpenWrite = 0x0001;  ///< Open an existing file for writing.
inline constexpr std::uint16_t fmOpenReadWrite = 0x0002;  ///< Read and write an existing file.
inline constexpr std::uint16_t fmShareCompat = 0x0000;  ///< Deny nothing (as fmShareDenyNone).
inline constexpr std::uint16_t fmShareExclusive = 0x0010;  ///< Deny others reading and writing.
inline constexpr std::uint16_t fmShareDenyWrite = 0x0020;  ///< Deny others writing.
inline constexpr std::uint16_t fmShareDenyRead = 0x0030;  ///< Deny others reading.
inline constexpr std::uint16_t fmShareDenyNone = 0x0040;  ///< Deny nothing.

/// TFileStream
/// A stream over a file. fmCreate creates or truncates the file for reading and writing;
/// otherwise the low bits choose read, write or read-write access to an existing file.
/// Sharing: every open, with share flags or without, honours the share modes of the other
/// opens of the file (file streams and text files, in this and other kez processes): it is
/// refused when another holder denies the access it asks for (fmShareExclusive denies
/// reading and writing, fmShareDenyWrite writing, fmShareDenyRead reading), or when its own
/// share mode denies an access another holder has. fmShareCompat and fmShareDenyNone deny
/// nothing. The modes are advisory locks: programs outside the library do not see them.
/// fmCreate empties the file only once its claim is granted, so a create that is refused
/// leaves the other holder's file as it was. A name that no file can have
/// (see FileNameFault) opens nothing. Failures raise EFOpenError
/// `Cannot open file "<name>". <reason>` or EFCreateError `Cannot create file "<name>".
/// <reason>`.
///
/// Writing. Short writes are gathered in a 64 KiB buffer, so many small writes cost about
/// what stdio's fwrite costs. A Write on a stream opened without write access writes
/// nothing (WriteBuffer raises EWriteError). Bytes that the file refuses (disk full, a
/// file-size limit) raise EWriteError from the call that hands them to the file: the Write
/// that overflows the buffer, Flush, SetSize, a Seek that moves the position, or the next
/// Read. A long write that the file system has too few free blocks for is refused whole,
/// before any of it is written. To learn the fate of the last bytes, call Flush before the
/// stream is destroyed; the destructor writes what is still buffered and, as it cannot
/// raise, reports a failure on stderr ("kez: N bytes could not be written to ...") rather
/// than losing it unseen.
///
/// Reading. A pipe or FIFO gives its bytes once, in order: Read continues where the pipe
/// stands, a Seek back over the last 4 KiB read is served from the buffer, and a position
/// further back or ahead reads nothing. Size tells the bytes of a regular file only (0 for
/// a pipe, and for a /proc file, which still reads whole); to take all of a stream, read
/// until Read gives 0.
class TFileStream : public TStream {
 public:
  /// Opens FileName in Mode (an open mode combined with a share flag); failures raise as described
  /// above.
  TFileStream(StringView FileName, std::uint16_t Mode);
  ~TFileStream() override;

  std::int64_t Read(void* Buffer, std::int64_t Count) final;
  std::int64_t Write(const void* Buffer, std::int64_t Count) final;
  std::int64_t Seek(std::int64_t Offset, TSeekOrigin Origin) final;
  std::int64_t Size() final;
  void SetSize(std::int64_t NewSize) final;
  void Flush() final;

  /// The name the stream was opened with.
  const String& FileName() const { return FFileName; }

 private:
  /// Writes the pending bytes out; raises EWriteError (and drops them) when the file refuses.
  void FlushWrites();

  String FFileName;
  int FHandle = -1;
  std::int64_t FPosition = 0;  // the stream's position
  /// One buffer holds either read-ahead or pending writes: the file's bytes
  /// [FBufStart, FBufStart + FBufLen).
  std::vector<std::uint8_t> FBuffer;
  std::int64_t FBufStart = 0;
  std::size_t FBufLen = 0;
  bool FWriting = false;
  bool FCanWrite = false;
  bool FSeekable = true;  ///< false for a pipe: its bytes come once, in order
  std::int64_t FPipeAt = 0;  ///< on a pipe, the bytes taken from it so far
};

KEZ_API_END
}  // namespace kez
