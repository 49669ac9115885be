#pragma once
// The picture list's commands that hand picture addresses to other programs: one address to
// the clipboard, or all of them to exportlists.txt in the program folder, opened with the
// user's handler for text files. Main thread only.

#include <filesystem>
#include <vector>

#include "core/DesktopShell.h"
#include "core/PictureEntry.h"
#include "core/UserPrompts.h"

namespace vexilo {

inline constexpr const char* kExportListsFile = "exportlists.txt";

// Puts the shown link of rows[selectedRow] on the clipboard; nothing when selectedRow is no row.
void CopyLinkToClipboard(const std::vector<PictureEntry>& rows, int selectedRow,
                         DesktopShell& shell);

// Replaces exportlists.txt with the shown link of every row, in order (duplicates and empty links
// kept), and opens it. No rows: nothing is written or opened. A write that fails is told
// with its reason and nothing is opened.
void ExportLinks(const std::vector<PictureEntry>& rows, const std::filesystem::path& programFolder,
                 DesktopShell& shell, UserPrompts& prompts);

}  // namespace vexilo
