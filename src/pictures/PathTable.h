#pragma once
// The paths of the pictures a task keeps, by the id the signature index gave each, in little
// memory: a task's pictures lie in few folders, so each folder is held once and each path as
// its folder's number and its file name in one shared buffer. Not thread-safe: CopyFinder
// holds one lock around every call.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vexilo {

class PathTable {
 public:
  using Id = std::uint32_t;

  // Gives `id`, which must not hold a path, the path `path`.
  void Put(Id id, std::string_view path);
  // The id holding `path`, or nothing.
  std::optional<Id> Find(std::string_view path) const;
  // The path of `id`; empty when it holds none.
  std::string PathOf(Id id) const;
  // Frees `id`; an id without a path is ignored.
  void Remove(Id id);

  std::size_t MemoryBytes() const;

 private:
  static constexpr std::uint32_t kNone = 0xFFFFFFFF;

  struct Ref {
    std::uint32_t Folder = kNone;
    std::uint32_t NameAt = 0;  // into mNames, ended by a 0 byte
  };

  std::string_view NameOf(const Ref& ref) const;
  std::size_t SlotOf(std::uint32_t folder, std::string_view name) const;
  // The slot holding (folder, name), or the empty one where it would go.
  std::size_t Probe(std::uint32_t folder, std::string_view name) const;
  void Grow();
  void CompactNames();

  std::vector<std::string> mFolders;
  std::unordered_map<std::string, std::uint32_t> mFolderIds;
  std::string mNames;
  std::size_t mDeadNameBytes = 0;
  std::vector<Ref> mRefs;  // by id
  // Open addressing with linear probing: the ids, kNone in an empty slot.
  std::vector<Id> mSlots;
  std::size_t mLive = 0;
};

}  // namespace vexilo
