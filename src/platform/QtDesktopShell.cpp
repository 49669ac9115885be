#include "platform/QtDesktopShell.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>

namespace vexilo {

bool QtDesktopShell::Open(const std::string& pathOrAddress) {
  QString text = QString::fromStdString(pathOrAddress);
  QUrl url = QFileInfo::exists(text) ? QUrl::fromLocalFile(text) : QUrl(text);
  return QDesktopServices::openUrl(url);
}

std::optional<std::string> QtDesktopShell::PickFolder(const std::string& title,
                                                      const std::string& startFolder) {
  QString folder = QFileDialog::getExistingDirectory(
      QApplication::activeWindow(), QString::fromStdString(title),
      QString::fromStdString(startFolder), QFileDialog::ShowDirsOnly);
  if (folder.isEmpty()) return std::nullopt;
  while (folder.size() > 1 && folder.endsWith('/')) folder.chop(1);
  return folder.toStdString();
}

void QtDesktopShell::SetClipboardText(const std::string& text) {
  QApplication::clipboard()->setText(QString::fromStdString(text));
}

bool QtDesktopShell::MoveToTrash(const std::string& path) {
  // The freedesktop.org Trash of the file's volume, with its .trashinfo.
  return QFile::moveToTrash(QString::fromStdString(path));
}

}  // namespace vexilo
