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

namespace {

// Writes text as the file and opens it; a failed write is told and nothing is opened.
void WriteAndOpen(const std::filesystem::path& file, std::string_view text, DesktopShell& shell,
                  UserPrompts& prompts) {
  try {
    ReplaceFileText(file, text);
  } catch (const std::exception& error) {
    prompts.ShowError(error.what());
    return;
  }
  try {
    shell.Open(file.string());
  } catch (const std::exception&) {
    // Whether a viewer comes up is the desktop's business.
  }
}

const std::string& Nth(const std::vector<std::string>& list, std::size_t i) {
  static const std::string kNone;
  return i < list.size() ? list[i] : kNone;
}

}  // namespace

void ExportLinks(const std::vector<PictureEntry>& rows, const std::filesystem::path& programFolder,
                 DesktopShell& shell, UserPrompts& prompts) {
  if (rows.empty()) return;
  std::vector<std::string> links;
  links.reserve(rows.size());
  for (const PictureEntry& row : rows) links.push_back(row.ShownLink());
  WriteAndOpen(programFolder / kExportListsFile, LinesText(links), shell, prompts);
}

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string field = "\"";
  for (char c : text) {
    if (c == '"') field += '"';
    field += c;
  }
  field += '"';
  return field;
}

std::string PictureRowsCsv(const std::vector<PictureEntry>& rows,
                           const std::vector<std::string>& statuses,
                           const std::vector<std::string>& savePaths) {
  std::string csv = std::string(kExportCsvHeader) + "\r\n";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const PictureEntry& row = rows[i];
    for (const std::string* field : {&row.Name, &row.ShownLink(), &row.Page, &row.Width,
                                     &row.Height, &Nth(statuses, i), &Nth(savePaths, i)}) {
      if (field != &row.Name) csv += ',';
      csv += CsvField(*field);
    }
    csv += "\r\n";
  }
  return csv;
}

void ExportCsv(const std::vector<PictureEntry>& rows, const std::vector<std::string>& statuses,
               const std::vector<std::string>& savePaths,
               const std::filesystem::path& programFolder, DesktopShell& shell,
               UserPrompts& prompts) {
  if (rows.empty()) return;
  WriteAndOpen(programFolder / kExportCsvFile, PictureRowsCsv(rows, statuses, savePaths), shell,
               prompts);
}

}  // namespace vexilo
