#include "pictures/SignatureIndex.h"

#include <algorithm>
#include <bit>

namespace vexilo {
namespace {

constexpr std::uint32_t kEndOfBucket = 0xFFFFFFFF;
constexpr int kBlockBits = 16;
constexpr int kBlockValues = 1 << kBlockBits;
// By pigeonhole, a hash within kSameHashBits is this near on at least one block.
constexpr int kBlockRadius = kSameHashBits / 4;

std::uint16_t BlockOf(std::uint64_t hash, int block) {
  return static_cast<std::uint16_t>(hash >> (kBlockBits * block));
}

// Calls visit(value) for every block value within kBlockRadius bits of `value`.
template <typename Visit>
void ForNearBlocks(std::uint16_t value, Visit visit) {
  visit(value);
  for (int i = 0; i < kBlockBits; ++i) {
    const auto once = static_cast<std::uint16_t>(value ^ (1u << i));
    visit(once);
    if constexpr (kBlockRadius >= 2) {
      for (int j = i + 1; j < kBlockBits; ++j) visit(static_cast<std::uint16_t>(once ^ (1u << j)));
    }
  }
  static_assert(kBlockRadius <= 2, "more flips need another enumeration");
}

}  // namespace

SignatureIndex::SignatureIndex() {
  for (auto& buckets : mBuckets) buckets.assign(kBlockValues, kEndOfBucket);
}

SignatureIndex::~SignatureIndex() = default;

SignatureIndex::EntryId SignatureIndex::Add(const PictureSignature& signature) {
  EntryId id = 0;
  if (!mFree.empty()) {
    id = mFree.back();
    mFree.pop_back();
  } else {
    if (mUsed % kChunkEntries == 0) mChunks.push_back(std::make_unique<Chunk>());
    id = mUsed++;
  }
  Entry& entry = At(id);
  HashAt(id) = signature.Hash;
  entry.Tone = signature.Tone;
  entry.FullWidth = static_cast<std::uint16_t>(signature.FullWidth);
  entry.FullHeight = static_cast<std::uint16_t>(signature.FullHeight);
  for (int block = 0; block < kBlocks; ++block) {
    std::uint32_t& first = mBuckets[block][BlockOf(signature.Hash, block)];
    entry.Next[block] = first;
    first = id;
  }
  ++mLive;
  return id;
}

void SignatureIndex::Remove(EntryId id) {
  if (id >= mUsed || At(id).FullWidth == 0) return;
  Entry& entry = At(id);
  for (int block = 0; block < kBlocks; ++block) {
    std::uint32_t* link = &mBuckets[block][BlockOf(HashAt(id), block)];
    while (*link != id) link = &At(*link).Next[block];
    *link = entry.Next[block];
  }
  entry = Entry();
  HashAt(id) = 0;
  mFree.push_back(id);
  --mLive;
}

PictureSignature SignatureIndex::SignatureOf(EntryId id) const {
  const Entry& entry = At(id);
  PictureSignature signature;
  signature.Hash = HashAt(id);
  signature.FullWidth = entry.FullWidth;
  signature.FullHeight = entry.FullHeight;
  signature.Tone = entry.Tone;
  return signature;
}

std::vector<SignatureIndex::Match> SignatureIndex::Candidates(
    const PictureSignature& signature) const {
  std::vector<Match> candidates;
  for (int block = 0; block < kBlocks; ++block) {
    ForNearBlocks(BlockOf(signature.Hash, block), [&](std::uint16_t value) {
      for (std::uint32_t id = mBuckets[block][value]; id != kEndOfBucket; id = At(id).Next[block]) {
        const std::uint64_t hash = HashAt(id);
        if (std::popcount(hash ^ signature.Hash) > kSameHashBits) continue;
        // An entry near on an earlier block has been looked at there already.
        bool seen = false;
        for (int earlier = 0; earlier < block && !seen; ++earlier) {
          seen = std::popcount(static_cast<unsigned>(
                     BlockOf(hash, earlier) ^ BlockOf(signature.Hash, earlier))) <= kBlockRadius;
        }
        if (seen) continue;
        PictureSignature candidate = SignatureOf(id);
        const SignatureDistance distance = CompareSignatures(signature, candidate);
        if (SamePicture(distance)) candidates.push_back({id, candidate, distance});
      }
    });
  }
  std::stable_sort(candidates.begin(), candidates.end(), [](const Match& a, const Match& b) {
    return a.Distance.HashBits < b.Distance.HashBits;
  });
  return candidates;
}

std::size_t SignatureIndex::MemoryBytes() const {
  std::size_t bytes = sizeof(*this) + mChunks.capacity() * sizeof(mChunks[0]) +
                      mChunks.size() * sizeof(Chunk) + mFree.capacity() * sizeof(EntryId);
  for (const auto& buckets : mBuckets) bytes += buckets.capacity() * sizeof(buckets[0]);
  return bytes;
}

}  // namespace vexilo
