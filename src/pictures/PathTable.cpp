#include "pictures/PathTable.h"

#include <cstring>
#include <functional>

namespace vexilo {
namespace {

constexpr std::size_t kFirstSlots = 1024;

// The folder part, with its final '/', and the file name.
std::pair<std::string_view, std::string_view> SplitPath(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return {std::string_view(), path};
  return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

}  // namespace

std::string_view PathTable::NameOf(const Ref& ref) const {
  return std::string_view(mNames.data() + ref.NameAt);
}

std::size_t PathTable::SlotOf(std::uint32_t folder, std::string_view name) const {
  const std::size_t hash = std::hash<std::string_view>()(name) ^ (folder * 0x9e3779b97f4a7c15ULL);
  return hash & (mSlots.size() - 1);
}

std::size_t PathTable::Probe(std::uint32_t folder, std::string_view name) const {
  std::size_t slot = SlotOf(folder, name);
  while (mSlots[slot] != kNone) {
    const Ref& ref = mRefs[mSlots[slot]];
    if (ref.Folder == folder && NameOf(ref) == name) break;
    slot = (slot + 1) & (mSlots.size() - 1);
  }
  return slot;
}

void PathTable::Put(Id id, std::string_view path) {
  if ((mLive + 1) * 4 > mSlots.size() * 3) Grow();
  const auto [folder, name] = SplitPath(path);
  auto [found, added] =
      mFolderIds.try_emplace(std::string(folder), static_cast<std::uint32_t>(mFolders.size()));
  if (added) mFolders.emplace_back(folder);
  if (id >= mRefs.size()) mRefs.resize(id + 1);
  // Paths hold no 0 byte; a name that did would only be cut short there.
  const auto nameAt = static_cast<std::uint32_t>(mNames.size());
  mNames.append(name);
  mNames.push_back('\0');
  mRefs[id] = {found->second, nameAt};
  mSlots[Probe(found->second, NameOf(mRefs[id]))] = id;
  ++mLive;
}

std::optional<PathTable::Id> PathTable::Find(std::string_view path) const {
  if (mLive == 0) return std::nullopt;
  const auto [folder, name] = SplitPath(path);
  const auto found = mFolderIds.find(std::string(folder));
  if (found == mFolderIds.end()) return std::nullopt;
  const Id id = mSlots[Probe(found->second, name)];
  if (id == kNone) return std::nullopt;
  return id;
}

std::string PathTable::PathOf(Id id) const {
  if (id >= mRefs.size() || mRefs[id].Folder == kNone) return {};
  return mFolders[mRefs[id].Folder] + std::string(NameOf(mRefs[id]));
}

void PathTable::Remove(Id id) {
  if (id >= mRefs.size() || mRefs[id].Folder == kNone) return;
  std::size_t hole = Probe(mRefs[id].Folder, NameOf(mRefs[id]));
  mSlots[hole] = kNone;
  // Moves back the entries after the hole that could not sit in their own slot, so every
  // probe still reaches its entry before an empty slot.
  const std::size_t mask = mSlots.size() - 1;
  for (std::size_t slot = (hole + 1) & mask; mSlots[slot] != kNone; slot = (slot + 1) & mask) {
    const Ref& ref = mRefs[mSlots[slot]];
    const std::size_t home = SlotOf(ref.Folder, NameOf(ref));
    if (((slot - home) & mask) >= ((slot - hole) & mask)) {
      mSlots[hole] = mSlots[slot];
      mSlots[slot] = kNone;
      hole = slot;
    }
  }
  mDeadNameBytes += NameOf(mRefs[id]).size() + 1;
  mRefs[id] = Ref();
  --mLive;
  if (mDeadNameBytes > mNames.size() / 2) CompactNames();
}

void PathTable::Grow() {
  std::vector<Id> old(mSlots.empty() ? kFirstSlots : 2 * mSlots.size(), kNone);
  old.swap(mSlots);
  for (Id id : old) {
    if (id != kNone) mSlots[Probe(mRefs[id].Folder, NameOf(mRefs[id]))] = id;
  }
}

void PathTable::CompactNames() {
  std::string names;
  names.reserve(mNames.size() - mDeadNameBytes);
  for (Ref& ref : mRefs) {
    if (ref.Folder == kNone) continue;
    const std::string_view name = NameOf(ref);
    ref.NameAt = static_cast<std::uint32_t>(names.size());
    names.append(name);
    names.push_back('\0');
  }
  mNames = std::move(names);
  mDeadNameBytes = 0;
}

std::size_t PathTable::MemoryBytes() const {
  std::size_t bytes = sizeof(*this) + mNames.capacity() + mRefs.capacity() * sizeof(Ref) +
                      mSlots.capacity() * sizeof(Id) + mFolders.capacity() * sizeof(std::string);
  // The folders twice (the list and the map's keys) and a node per map entry.
  for (const std::string& folder : mFolders) bytes += 2 * (folder.capacity() + 1) + 64;
  return bytes;
}

}  // namespace vexilo
