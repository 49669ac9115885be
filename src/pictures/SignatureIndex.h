#pragma once
// The signatures of the pictures a task keeps, for finding whether a new picture is one of
// them at another size. A multi-index hash table: the 64-bit hash is cut into four 16-bit
// blocks, each with a table of its own, and two hashes within kSameHashBits differ in at most
// kSameHashBits / 4 bits of at least one block, so a lookup visits only the buckets that near
// to the new hash's blocks. About 100 bytes an entry. Not thread-safe: the caller holds one
// lock around every call (the download completions run on several threads).

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "pictures/PictureSignature.h"

namespace vexilo {

class SignatureIndex {
 public:
  // The index's name for an entry, given by Add; the caller keeps it with the picture.
  using EntryId = std::uint32_t;

  SignatureIndex();
  ~SignatureIndex();
  SignatureIndex(const SignatureIndex&) = delete;
  SignatureIndex& operator=(const SignatureIndex&) = delete;

  EntryId Add(const PictureSignature& signature);
  // Forgets the entry, as when a larger copy replaces it; its id may be given out again. An
  // id not in the index is ignored.
  void Remove(EntryId id);
  std::size_t Size() const { return mLive; }

  struct Match {
    EntryId Id = 0;
    PictureSignature Signature;
    SignatureDistance Distance;
  };
  // An entry that is the same picture as `signature` (SamePicture), the nearest by hash when
  // several are; nothing when none is.
  std::optional<Match> FindSame(const PictureSignature& signature) const;

  // Bytes the index holds, for the benchmark.
  std::size_t MemoryBytes() const;

 private:
  static constexpr int kBlocks = 4;  // of 16 bits
  static constexpr int kChunkEntries = 1024;

  // A signature in the bytes the second check needs, linked into one bucket per block.
  struct Entry {
    std::uint64_t Hash = 0;
    std::array<std::uint32_t, kBlocks> Next{};
    std::array<std::uint8_t, kSignatureLumaCells> Luma{};
    std::array<std::uint16_t, kToneValues> Tone{};
    std::uint16_t FullWidth = 0;  // 0 in a free entry
    std::uint16_t FullHeight = 0;
  };
  using Chunk = std::array<Entry, kChunkEntries>;

  Entry& At(EntryId id) { return (*mChunks[id / kChunkEntries])[id % kChunkEntries]; }
  const Entry& At(EntryId id) const { return (*mChunks[id / kChunkEntries])[id % kChunkEntries]; }
  static PictureSignature SignatureOf(const Entry& entry);

  // Grown a chunk at a time, so a large index does not hold twice its entries while growing.
  std::vector<std::unique_ptr<Chunk>> mChunks;
  std::uint32_t mUsed = 0;                                   // entries ever given out
  std::vector<EntryId> mFree;                                // removed ones, given out again first
  std::array<std::vector<std::uint32_t>, kBlocks> mBuckets;  // first entry per block value
  std::size_t mLive = 0;
};

}  // namespace vexilo
