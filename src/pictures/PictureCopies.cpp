#include "pictures/PictureCopies.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "pictures/CopyFinder.h"
#include "pictures/ThumbnailMaker.h"

namespace vexilo {
namespace {

constexpr std::size_t kGroupsShown = 20;

std::string SizeText(std::uintmax_t bytes) {
  char text[32];
  if (bytes < (std::uintmax_t{1} << 20)) {
    std::snprintf(text, sizeof text, "%.0f KB", static_cast<double>(bytes) / 1024.0);
  } else {
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1048576.0);
  }
  return text;
}

std::string NameOf(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

// The groups as the workers find them: each picture is either kept or a copy of one kept.
class Grouping {
 public:
  void Add(const std::string& path, const PictureSignature& signature,
           const ReducedPicture& normal) {
    std::lock_guard lock(mLock);
    const std::optional<CopyFinder::Copy> same = mFinder.FindSame(signature, normal);
    if (!same) {
      mFinder.Keep(path, signature);
      return;
    }
    auto found = mGroups.find(same->KeptPath);
    if (found == mGroups.end()) {
      found = mGroups
                  .emplace(same->KeptPath, CopyGroup{same->KeptPath,
                                                     same->KeptSignature.FullWidth,
                                                     same->KeptSignature.FullHeight,
                                                     {},
                                                     0})
                  .first;
    }
    if (signature.PixelCount() <= same->KeptSignature.PixelCount()) {
      found->second.Smaller.push_back(path);
      return;
    }
    CopyGroup group = std::move(found->second);
    mGroups.erase(found);
    group.Smaller.push_back(group.Largest);
    group.Largest = path;
    group.Width = signature.FullWidth;
    group.Height = signature.FullHeight;
    mFinder.Forget(same->KeptPath);
    mFinder.Keep(path, signature);
    mGroups.emplace(path, std::move(group));
  }

  std::vector<CopyGroup> Take() {
    std::vector<CopyGroup> groups;
    for (auto& [largest, group] : mGroups) {
      std::sort(group.Smaller.begin(), group.Smaller.end());
      std::error_code ec;
      for (const std::string& copy : group.Smaller) {
        const std::uintmax_t size = std::filesystem::file_size(copy, ec);
        if (!ec) group.SmallerBytes += size;
      }
      groups.push_back(std::move(group));
    }
    std::sort(groups.begin(), groups.end(),
              [](const CopyGroup& a, const CopyGroup& b) { return a.Largest < b.Largest; });
    return groups;
  }

 private:
  std::mutex mLock;
  CopyFinder mFinder;
  std::unordered_map<std::string, CopyGroup> mGroups;  // by the largest copy's path
};

}  // namespace

std::vector<CopyGroup> FindPictureCopies(const std::vector<std::string>& paths,
                                         const std::function<void()>& waiting) {
  Grouping grouping;
  std::atomic<std::size_t> next{0};
  std::atomic<unsigned> running{0};
  const unsigned threads = std::max(
      1u, std::min<unsigned>(std::thread::hardware_concurrency(),
                             static_cast<unsigned>(std::max<std::size_t>(paths.size(), 1))));
  std::vector<std::thread> workers;
  running = threads;
  for (unsigned t = 0; t < threads; ++t) {
    workers.emplace_back([&] {
      for (std::size_t i = next++; i < paths.size(); i = next++) {
        try {
          const ThumbnailResult made = MakeSignedThumbnailResult(paths[i], 0);
          if (made.Ok() && made.Signature && made.Normal) {
            grouping.Add(paths[i], *made.Signature, *made.Normal);
          }
        } catch (const std::exception&) {
          // Out of memory: this picture is left out.
        }
      }
      --running;
    });
  }
  while (running.load() > 0) waiting();
  for (std::thread& worker : workers) worker.join();
  return grouping.Take();
}

std::string CopyGroupsQuestion(const std::vector<CopyGroup>& groups) {
  std::size_t copies = 0;
  std::uintmax_t bytes = 0;
  std::string lines;
  for (std::size_t i = 0; i < groups.size(); ++i) {
    const CopyGroup& group = groups[i];
    copies += group.Smaller.size();
    bytes += group.SmallerBytes;
    if (i < kGroupsShown) {
      lines += NameOf(group.Largest) + " (" + std::to_string(group.Width) + " x " +
               std::to_string(group.Height) + "): " + std::to_string(group.Smaller.size()) +
               (group.Smaller.size() == 1 ? " smaller copy, " : " smaller copies, ") +
               SizeText(group.SmallerBytes) + "\n";
    }
  }
  if (groups.size() > kGroupsShown) {
    lines += "and " + std::to_string(groups.size() - kGroupsShown) + " more pictures\n";
  }
  return lines + "\nMove the " + std::to_string(copies) +
         (copies == 1 ? " smaller copy of " : " smaller copies of ") +
         std::to_string(groups.size()) + (groups.size() == 1 ? " picture (" : " pictures (") +
         SizeText(bytes) + ") to the Trash?";
}

}  // namespace vexilo
