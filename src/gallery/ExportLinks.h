#pragma once
// The picture list's commands that hand picture addresses to other programs: one address to
// the clipboard, all of them to exportlists.txt, or every row with what is known of it to
// exportlists.csv, both in the program folder and opened with the user's handler for their
// kind. Main thread only.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/DesktopShell.h"
#include "core/PictureEntry.h"
#include "core/UserPrompts.h"

namespace vexilo {

inline constexpr const char* kExportListsFile = "exportlists.txt";
inline constexpr const char* kExportCsvFile = "exportlists.csv";
inline constexpr const char* kExportCsvHeader = "name,address,page,width,height,status,save path";

// Puts the shown link of rows[selectedRow] on the clipboard; nothing when selectedRow is no row.
void CopyLinkToClipboard(const std::vector<PictureEntry>& rows, int selectedRow,
                         DesktopShell& shell);

// Replaces exportlists.txt with the shown link of every row, in order (duplicates and empty links
// kept), and opens it. No rows: nothing is written or opened. A write that fails is told
// with its reason and nothing is opened.
void ExportLinks(const std::vector<PictureEntry>& rows, const std::filesystem::path& programFolder,
                 DesktopShell& shell, UserPrompts& prompts);

// One field as RFC 4180 has it: quoted, inner quotes doubled, when it holds a comma, a quote,
// a CR or an LF; otherwise as it is. Any thread.
std::string CsvField(std::string_view text);

// The header and one record a row, CR LF after each: the row's name, shown link, page,
// width, height, statuses[i] and savePaths[i] (empty where those lists are short). Any thread.
std::string PictureRowsCsv(const std::vector<PictureEntry>& rows,
                           const std::vector<std::string>& statuses,
                           const std::vector<std::string>& savePaths);

// Replaces exportlists.csv with PictureRowsCsv and opens it, as ExportLinks does with its file:
// no rows, nothing written or opened; a write that fails is told with its reason.
void ExportCsv(const std::vector<PictureEntry>& rows, const std::vector<std::string>& statuses,
               const std::vector<std::string>& savePaths,
               const std::filesystem::path& programFolder, DesktopShell& shell,
               UserPrompts& prompts);

}  // namespace vexilo
