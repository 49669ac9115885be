#pragma once
// The signatures of the pictures a task keeps, for finding those a new picture may be at
// another size. A multi-index hash table: the 64-bit hash is cut into four 16-bit blocks,
// each with a table of its own, and two hashes within kSameHashBits differ in at most
// kSameHashBits / 4 bits of at least one block, so a lookup visits only the buckets that near
// to the new hash's blocks. 36 bytes an entry and 1 MB of tables. Not thread-safe: CopyFinder
// holds one lock around every call.

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
  // The entries that may be the same picture as `signature` (SamePicture), the nearest by hash
  // first.
  std::vector<Match> Candidates(const PictureSignature& signature) const;

  // Bytes the index holds, for the benchmark.
  std::size_t MemoryBytes() const;

 private:
  static constexpr int kBlocks = 4;  // of 16 bits
  static constexpr int kChunkEntries = 1024;

  // A signature but its hash, linked into one bucket per block. The hashes are kept apart so
  // that an entry needs no padding.
  struct Entry {
    std::array<std::uint32_t, kBlocks> Next{};
    std::array<std::uint16_t, kToneValues> Tone{};
    std::uint16_t FullWidth = 0;  // 0 in a free entry
    std::uint16_t FullHeight = 0;
  };
  struct Chunk {
    std::array<std::uint64_t, kChunkEntries> Hashes{};
    std::array<Entry, kChunkEntries> Entries{};
  };

  Entry& At(EntryId id) { return mChunks[id / kChunkEntries]->Entries[id % kChunkEntries]; }
  const Entry& At(EntryId id) const {
    return mChunks[id / kChunkEntries]->Entries[id % kChunkEntries];
  }
  std::uint64_t& HashAt(EntryId id) {
    return mChunks[id / kChunkEntries]->Hashes[id % kChunkEntries];
  }
  std::uint64_t HashAt(EntryId id) const {
    return mChunks[id / kChunkEntries]->Hashes[id % kChunkEntries];
  }
  PictureSignature SignatureOf(EntryId id) const;

  // Grown a chunk at a time, so a large index does not hold twice its entries while growing.
  std::vector<std::unique_ptr<Chunk>> mChunks;
  std::uint32_t mUsed = 0;                                   // entries ever given out
  std::vector<EntryId> mFree;                                // removed ones, given out again first
  std::array<std::vector<std::uint32_t>, kBlocks> mBuckets;  // first entry per block value
  std::size_t mLive = 0;
};

}  // namespace vexilo
