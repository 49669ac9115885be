#include "gallery/ExportLinks.h"

#include <exception>
#include <string>

#include "core/LineFile.h"

namespace vexilo {

void CopyLinkToClipboard(const std::vector<PictureEntry>& rows, int selectedRow,
                         DesktopShell& shell) {
  if (selectedRow < 0 || static_cast<std::size_t>(selectedRow) >= rows.size()) return;
  shell.SetClipboardText(rows[static_cast<std::size_t>(selectedRow)].ShownLink());
}

void ExportLinks(const std::vector<PictureEntry>& rows, const std::filesystem::path& programFolder,
                 DesktopShell& shell, UserPrompts& prompts) {
  if (rows.empty()) return;
  std::vector<std::string> links;
  links.reserve(rows.size());
  for (const PictureEntry& row : rows) links.push_back(row.ShownLink());
  const std::filesystem::path file = programFolder / kExportListsFile;
  try {
    WriteLines(file, links);
  } catch (const std::exception& error) {
    prompts.ShowError(error.what());
    return;
  }
  try {
    shell.Open(file.string());
  } catch (const std::exception&) {
    // Whether a text viewer comes up is the desktop's business.
  }
}

}  // namespace vexilo
