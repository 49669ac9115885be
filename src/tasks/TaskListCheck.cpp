#include "tasks/TaskListCheck.h"

#include <algorithm>
#include <string_view>

#include "core/TaskRecord.h"
#include "core/TextRules.h"

namespace vexilo {
namespace {

constexpr size_t kBlock = TaskRecord::kLineCount;
constexpr int kFirstNumberLine = 4;  // LinkLevels
constexpr int kLastNumberLine = 11;  // ManualLogin
constexpr size_t kMostNamed = 10;

std::string LineNumber(size_t line) { return std::to_string(line + 1); }

// Whether the folder name is the last part of the picture folder, as Vexilo makes every task.
// In a shifted block both lines come from other fields, which do not match by chance.
bool FolderNameEndsTaskFolder(const std::string& taskFolder, const std::string& folderName) {
  std::string_view folder = taskFolder;
  if (folder.ends_with('/')) folder.remove_suffix(1);
  return folder.ends_with("/" + folderName);
}

// Why the whole block at lines[first] cannot be a task; empty when it can. inStepProof asks
// for the folder name to match the picture folder as well.
std::string BlockProblem(const std::vector<std::string>& lines, size_t first,
                         std::span<const size_t> tooLong, bool inStepProof) {
  const auto longLine = std::lower_bound(tooLong.begin(), tooLong.end(), first);
  if (longLine != tooLong.end() && *longLine < first + kBlock) {
    return "line " + LineNumber(*longLine) + " is longer than " + std::to_string(kLongestTaskLine) +
           " bytes";
  }
  for (size_t line = first + kFirstNumberLine; line <= first + kLastNumberLine; ++line) {
    if (!ParseWholeNumber(lines[line])) {
      return "line " + LineNumber(line) + " is not a whole number";
    }
  }
  const size_t folderName = first + TaskRecord::kFolderNameLine;
  if (!IsPlainFolderName(lines[folderName])) {
    return "line " + LineNumber(folderName) +
           " is not a folder name of its own (it is empty, \".\" or \"..\", holds a \"/\" or "
           "has blanks at its ends)";
  }
  const size_t taskFolder = first + TaskRecord::kTaskFolderLine;
  if (inStepProof && !FolderNameEndsTaskFolder(lines[taskFolder], lines[folderName])) {
    return "line " + LineNumber(folderName) + " is not the last part of the folder in line " +
           LineNumber(taskFolder) + ", so lines were added or lost before it";
  }
  return {};
}

}  // namespace

std::vector<UnreadableBlock> FindUnreadableBlocks(const std::vector<std::string>& lines,
                                                  std::span<const size_t> tooLong) {
  const int whole = static_cast<int>(lines.size() / kBlock);
  const size_t rest = lines.size() % kBlock;
  std::vector<UnreadableBlock> unreadable;
  for (int block = 0; block < whole; ++block) {
    // With lines added or lost somewhere, a block that reads back may still be out of step (two
    // lost lines put numbers onto numbers and the next task's name into the folder name): it
    // must prove itself in step.
    std::string reason =
        BlockProblem(lines, static_cast<size_t>(block) * kBlock, tooLong, rest != 0);
    if (reason.empty() && rest != 0 && !unreadable.empty()) {
      reason = "lines were added or lost before it, so its lines may belong to other tasks";
    }
    if (!reason.empty()) unreadable.push_back({block, kBlock, std::move(reason)});
  }
  if (rest != 0) {
    unreadable.push_back(
        {whole, rest,
         "it has only " + std::to_string(rest) + " of its " + std::to_string(kBlock) + " lines"});
  }
  return unreadable;
}

std::string UnreadableBlocksMessage(const std::filesystem::path& file,
                                    std::span<const UnreadableBlock> blocks) {
  std::string text = "Some tasks in \"" + file.string() + "\" cannot be read:\n";
  for (size_t i = 0; i < blocks.size() && i < kMostNamed; ++i) {
    const size_t first = static_cast<size_t>(blocks[i].Block) * kBlock;
    text += "task " + std::to_string(blocks[i].Block + 1) + " (lines " + LineNumber(first) +
            " to " + LineNumber(first + blocks[i].LineCount - 1) + "): " + blocks[i].Reason + ".\n";
  }
  if (blocks.size() > kMostNamed) {
    text += "and " + std::to_string(blocks.size() - kMostNamed) + " more tasks.\n";
  }
  return text +
         "The file is kept as it is, and the task list is not saved until the file is repaired. "
         "Close Vexilo, correct or remove those lines (GTask.lis~ holds the list as it was "
         "before the last save), and start Vexilo again.";
}

}  // namespace vexilo
