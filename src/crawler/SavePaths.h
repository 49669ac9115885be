#pragma once
// Where a queued picture is saved: its own file name when the address ends in a picture
// extension, else a name made from the whole address; never a name already on disk or
// already queued.

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vexilo {

// The longest file name the save path gets: room is left below the file system's 255 bytes
// for a "(n)" in front.
inline constexpr size_t kLongestSaveName = 240;

// The folder a task's pictures go into: TaskRecord.TaskFolder without one trailing "/".
std::string TaskFolderOf(const std::string& taskFolder);

// The file name for the address before any "(n)": FileNameOf for ".bmp", ".jpg", ".gif" and
// "jpeg" endings (with keepModernEndings also ".png", "webp" and "avif"), else SafeFileName;
// shortened to kLongestSaveName bytes keeping its ending.
std::string SaveNameOf(std::string_view address, bool keepModernEndings = false);

// Per plain save path, the "(n)" to try first: one past the last handed out. Kept for one
// crawl, it spares a page of thousands of pictures of one name a count from (1) for each.
// The numbers below it were all taken when it was set, and queued paths stay queued.
using SaveNumbers = std::unordered_map<std::string, int>;

// folder + "/" + SaveNameOf(address), or with the first "(n)" in front (from the one
// nextNumbers names) for which neither a file exists nor isQueued(path) holds.
std::string MakeSavePath(const std::string& folder, std::string_view address,
                         const std::function<bool(const std::string& path)>& isQueued,
                         SaveNumbers& nextNumbers, bool keepModernEndings = false);

}  // namespace vexilo
