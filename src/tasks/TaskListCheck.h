#pragma once
// Which blocks of GTask.lis cannot be taken as tasks, and the words that tell the user.

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace vexilo {

// The longest line a block may hold. Every field comes from a one-line box, which takes at most
// 32,767 characters (at most 98,301 bytes of UTF-8); the longest stored field, TaskFolder, is
// two of them joined (download folder + "/" + folder name), under 200 KB. Anything longer was
// not written by Vexilo.
inline constexpr std::size_t kLongestTaskLine = std::size_t{256} << 10;

struct UnreadableBlock {
  int Block = 0;  // the task index; a partial block at the end has the index after the last
  std::size_t LineCount = 0;  // 21, or what the partial block has
  std::string Reason;         // why, in words, with the file's line numbers counted from 1
};

// The blocks of lines that are not tasks: a block with a line listed in tooLong (positions
// from 0), an integer field that is not a whole number or a FolderName that is not plain
// (IsPlainFolderName), and the partial block at the end. When the line count is not a whole
// number of blocks, lines were added or lost somewhere, so a block must also prove that it is
// in step (its FolderName is the last part of its TaskFolder, as Vexilo makes every task), and
// every block from the first unreadable one on is unreadable too: it may be made of other
// tasks' fields.
std::vector<UnreadableBlock> FindUnreadableBlocks(const std::vector<std::string>& lines,
                                                  std::span<const std::size_t> tooLong);

// The one message that names the unreadable blocks of file (up to ten, then how many more).
std::string UnreadableBlocksMessage(const std::filesystem::path& file,
                                    std::span<const UnreadableBlock> blocks);

}  // namespace vexilo
