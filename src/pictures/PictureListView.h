#pragma once
// The picture list: the harvested picture addresses of the selected task in report view,
// columns "Name", "Link", "Width", "Height", and "Status" (how the picture's download fares:
// set by the run while the rows are shown, not stored with them). Read-only; whole rows are
// selected.

#include <QTableWidget>
#include <vector>

#include "core/PictureEntry.h"

namespace vexilo {

class TPictureListView : public QTableWidget {
  Q_OBJECT

 public:
  explicit TPictureListView(QWidget* parent = nullptr);

  void ShowRows(const std::vector<PictureEntry>& rows);
  void AddRow(const PictureEntry& row);
  // A row out of range is passed over.
  void SetStatus(int row, const std::string& status);
  // The row's status; "" for a row out of range or without one.
  std::string Status(int row) const;
  // Shows link in the row's Link column; a row out of range is passed over.
  void SetLink(int row, const std::string& link);
};

}  // namespace vexilo
