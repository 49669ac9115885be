#pragma once
// The folder tree of the browser pane: file-system folders only, from the root of the file
// system, with the home folder opened. Selecting a folder emits folderSelected.

#include <QTreeView>
#include <functional>

class QFileSystemModel;

namespace vexilo {

class TFolderTree : public QTreeView {
  Q_OBJECT

 public:
  explicit TFolderTree(QWidget* parent = nullptr);

  // While keysAllowed() is false every key is discarded (a picture listing is running).
  void SetKeysAllowed(std::function<bool()> keysAllowed);
  QFileSystemModel* Model() const { return mModel; }

 signals:
  void folderSelected(const QString& path);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QFileSystemModel* mModel;
  std::function<bool()> mKeysAllowed;
};

}  // namespace vexilo
