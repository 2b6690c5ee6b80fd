/// @file
/// Byte queues and counters: TFifo, a byte ring buffer with put-back and peeking;
/// TStringAccu, the distinct strings of a sequence with the number of times each occurred;
/// TRLEncoder, a block-oriented run-length encoder and decoder. None has a change event.
/// Included through kez/dstruct.hpp.
///
/// @code
///   kez::TFifo fifo(nullptr);            // holds up to Size - 1 = 255 bytes
///   fifo.PutByte(7);
///   std::uint8_t b;
///   fifo.GetByte(b);                     // b == 7
/// @endcode
///
/// @code
///   kez::TStringAccu words(nullptr);
///   for (auto w : {u"to", u"be", u"or", u"not", u"to", u"be"}) words.Add(w);
///   words.Size();                        // 4
///   words.Count(1);                      // 2 ("to")
/// @endcode
///
/// @code
///   kez::TRLEncoder rle(nullptr);        // blocks of BufLeng = 256 bytes
///   std::vector<std::uint8_t> block(rle.BufLeng());
///   rle.Reset();
///   for (auto chunk : chunks) {
///     if (!rle.Encode(chunk, chunk.size())) continue;
///     while (rle.WaitingBytes() >= rle.BufLeng()) {
///       rle.GetResult(block);
///       Emit(block.data(), rle.BufLeng());
///     }
///   }
///   std::int32_t n;
///   do Emit(block.data(), n = rle.Finish(block)); while (n == rle.BufLeng());
/// @endcode
///
/// Threads: separate objects may be used from separate threads at once; one object belongs to
/// one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

#include "kez/kezbase.hpp"
#include "kez/platform/export.hpp"

namespace kez {
KEZ_API_BEGIN

/// TFifo
/// A ring of Size bytes (256 by default) holding at most Size - 1 of them: the ring is full
/// when one more byte would make the write position meet the read position.
class TFifo : public TComponent {
 public:
  /// Create: a ring of 256 zero bytes, empty. Raises EKEZDStructError "FIFO structure too
  /// large" when the ring cannot be allocated.
  explicit TFifo(TComponent* AOwner);

  /// Size / SetSize
  /// The ring length. Values below 2 (a ring of one byte could hold nothing) and the current
  /// value are ignored. A new length keeps the waiting bytes in order; when the new ring holds
  /// fewer than are waiting, the oldest are dropped, as ForceByte would drop them. An
  /// allocation failure raises "FIFO structure too large" and keeps the old ring.
  ///@{
  std::int32_t Size() const { return FLength; }
  void SetSize(std::int32_t Value);
  ///@}

  /// PutByte: appends b and returns true; false, changing nothing, when full.
  bool PutByte(std::uint8_t b);

  /// ForceByte: appends b, discarding the oldest byte first when full. Returns true when a
  /// byte was discarded, false otherwise.
  bool ForceByte(std::uint8_t b);

  /// LoadBack: puts b back at the output end, so that GetByte returns it next; true. False,
  /// changing nothing, when full.
  bool LoadBack(std::uint8_t b);

  /// GetByte: removes the oldest byte into b and returns true; false (b untouched) when empty.
  bool GetByte(std::uint8_t& b);

  /// SenseByte: copies the waiting byte ix (0 = the one GetByte returns next) into b without
  /// removing it; false (b untouched) for ix outside 0 .. CountBytes - 1.
  bool SenseByte(std::int32_t ix, std::uint8_t& b) const;

  /// CountBytes: the number of waiting bytes, 0 .. Size - 1.
  std::int32_t CountBytes() const;

  /// Clear: empties the FIFO (both positions to 0; the ring's bytes stay).
  void Clear();

 private:
  bool Full() const { return CountBytes() == FLength - 1; }
  std::int32_t Advance(std::int32_t Poi) const { return Poi + 1 == FLength ? 0 : Poi + 1; }

  std::int32_t FInPoi = 0;
  std::int32_t FOutPoi = 0;
  std::int32_t FLength = 256;
  std::vector<std::uint8_t> FData;
};

/// TStringAccu
/// The distinct strings added to it, in order of first appearance, each with the number of
/// times it was added. Strings compare exactly (case-sensitive). A hash index finds a string
/// in constant time, so adding stays linear in the number of adds.
class TStringAccu : public TComponent {
 public:
  /// Create: empty.
  explicit TStringAccu(TComponent* AOwner);

  /// Size: the number of distinct strings.
  std::int32_t Size() const { return FSize; }

  /// Add: counts s once more, appending it with count 1 if it is new. A count stops at the
  /// largest int32. An allocation failure, or a new string when Size is already the largest
  /// int32, raises EKEZDStructError "not enough memory on heap" and leaves the accumulator
  /// as it was.
  void Add(const String& s);

  /// Elem / GetString: the ix-th distinct string (1-based); empty for ix outside 1 .. Size.
  ///@{
  String Elem(std::int32_t ix) const { return GetString(ix); }
  String GetString(std::int32_t ix) const;
  ///@}

  /// Count / GetCount: how often the ix-th string was added; 0 for ix outside 1 .. Size.
  ///@{
  std::int32_t Count(std::int32_t ix) const { return GetCount(ix); }
  std::int32_t GetCount(std::int32_t ix) const;
  ///@}

  /// Clear: forgets every string.
  void Clear();

 private:
  std::int32_t FSize = 0;
  /// string -> its count, kept in the map's node so that counting a known string touches
  /// nothing else; the nodes never move, so the order array points at them.
  std::unordered_map<String, std::int32_t> FIndex;
  std::vector<std::pair<const String, std::int32_t>*> FEntries;  // in order of arrival
};

/// TDecodeSt
/// Where the run-length decoder stands: reading data, after a lead-in byte, after a count.
enum TDecodeSt : std::uint8_t { rlData, rlLeadin, rlCnt };

/// TRLEncoder
/// Run-length coding in blocks of BufLeng bytes. The encoded form is a sequence of literal
/// bytes (any byte but 0xA5 stands for itself) and triplets 0xA5, n, v (n copies of v; n = 0
/// stands for nothing). Runs of three or more, and every run of 0xA5, become triplets; runs
/// longer than 255 are split.
///
/// Encoding: Reset; Encode each chunk, and while a block is ready (Encode returned true, then
/// WaitingBytes() >= BufLeng()) take it with GetResult; at the end call Finish until it
/// returns less than BufLeng. Decoding: Reset; Decode the encoded bytes (one by one or in
/// chunks) and take the blocks with GetResult; then Finish hands out the last, shorter block.
///
/// The working buffer grows as needed, so a large chunk or decoded runs that are not fetched
/// at once are kept rather than written past the buffer; the encoded form does not depend on
/// how the input is chunked.
class TRLEncoder : public TComponent {
 public:
  /// Create: BufLeng 256, empty, decoder state rlData. Raises EKEZDStructError "not enough
  /// memory on heap" when the buffer cannot be allocated.
  explicit TRLEncoder(TComponent* AOwner);

  /// Reset: forgets waiting bytes, the pending run and the decoder state.
  void Reset();

  /// BufLeng / SetBufLeng
  /// The block length handed out by GetResult and Finish. Values of 0 or less are ignored.
  /// Waiting bytes and the run and decoder state are kept, so the length may change
  /// mid-stream; the next block has the new length. Setting it allocates nothing: the
  /// buffer grows as bytes wait, so any length up to the largest int32 may be set.
  ///@{
  std::int32_t BufLeng() const { return FBufLeng; }
  void SetBufLeng(std::int32_t Value);
  ///@}

  /// WaitingBytes: the number of encoded or decoded bytes not yet handed out.
  std::int64_t WaitingBytes() const { return static_cast<std::int64_t>(FBufPoi); }

  /// Encode
  /// Runs the first NumBytes bytes of InBuf through the encoder (NumBytes is clamped to
  /// 0 .. InBuf.size()). Returns true when at least BufLeng encoded bytes wait.
  bool Encode(std::span<const std::uint8_t> InBuf, std::int32_t NumBytes);

  /// Decode(InByte)
  /// Runs one encoded byte through the decoder. Returns true when at least BufLeng decoded
  /// bytes wait.
  bool Decode(std::uint8_t InByte);

  /// Decode(InBuf, NumBytes)
  /// Runs the first NumBytes encoded bytes of InBuf through the decoder, as Decode of each
  /// would (NumBytes clamped to 0 .. InBuf.size()). Returns true when at least BufLeng
  /// decoded bytes wait.
  bool Decode(std::span<const std::uint8_t> InBuf, std::int32_t NumBytes);

  /// GetResult
  /// Moves the next block of BufLeng bytes into the front of OutBuf. Does nothing when fewer
  /// than BufLeng bytes wait or OutBuf is shorter than BufLeng.
  void GetResult(std::span<std::uint8_t> OutBuf);

  /// Finish
  /// Ends a stream and hands out the next block into the front of OutBuf; returns its length.
  /// After encoding, the closing triplet (0xA5, count, byte) of the pending run is appended
  /// first, whatever the run's length (a fresh encoder gives 0xA5 0 0); each further call
  /// appends 0xA5 0 byte, which decodes to nothing, except with a BufLeng of 3 or less, where
  /// that padding would outgrow what each call hands out: there further calls only hand out
  /// what waits. After decoding (Decode called since the last Reset) nothing is appended:
  /// Finish hands out the decoded bytes that wait. When fewer than BufLeng bytes wait, all
  /// of them are handed out; otherwise one block of BufLeng is, the rest waits and the caller
  /// calls Finish again. This loop ends for every BufLeng. Returns -1, changing nothing,
  /// when OutBuf cannot take the bytes due.
  std::int32_t Finish(std::span<std::uint8_t> OutBuf);

  /// FinishDecode
  /// Ends a decoded stream: hands out into the front of OutBuf the decoded bytes that wait
  /// (all of them when fewer than BufLeng wait, else one block of BufLeng; call again for
  /// the rest) and returns their number. Unlike Finish it never appends a triplet, also
  /// when Decode was not called, so an empty input ends with nothing. Incomplete is set to
  /// whether the input stopped inside a triplet (after its lead-in byte 0xA5 or its
  /// count), whose bytes are then lost. Returns -1, changing nothing, when OutBuf cannot
  /// take the bytes due. The decoder state stays as it is; Reset starts a new stream.
  std::int32_t FinishDecode(std::span<std::uint8_t> OutBuf, bool& Incomplete);

 private:
  /// Makes room for Extra more bytes behind the waiting ones.
  void Reserve(std::size_t Extra) {
    if (FBufStart + FBufPoi + Extra > FBuffer.size()) MakeRoom(Extra);
  }
  void MakeRoom(std::size_t Extra);
  std::uint8_t* WriteEnd() { return FBuffer.data() + FBufStart + FBufPoi; }
  void DecodeStep(std::uint8_t InByte);
  void HandOut(std::span<std::uint8_t> OutBuf, std::size_t Count);

  std::int32_t FBufLeng = 256;
  std::vector<std::uint8_t> FBuffer;  // waiting bytes at FBufStart .. FBufStart + FBufPoi
  std::size_t FBufStart = 0;
  std::size_t FBufPoi = 0;
  static constexpr std::uint8_t FLeadInByte = 0xA5;
  TDecodeSt FDecodeSt = rlData;
  std::uint8_t FCount = 0;
  std::uint8_t FLastB = 0;
  bool FDecoding = false;
  bool FClosed = false;  // Finish has closed the encoded stream
};

KEZ_API_END
}  // namespace kez
