#include "pictures/PictureListView.h"

#include <QHeaderView>

namespace vexilo {

TPictureListView::TPictureListView(QWidget* parent) : QTableWidget(0, 5, parent) {
  setHorizontalHeaderLabels({"Name", "Link", "Width", "Height", "Status"});
  // Status holds "failed: " and a reason such as "could not resolve host".
  const int widths[] = {100, 290, 80, 80, 200};
  for (int column = 0; column < 5; ++column) setColumnWidth(column, widths[column]);
  horizontalHeader()->setHighlightSections(false);
  // The reasons in Status are long: it takes whatever width the first four leave.
  horizontalHeader()->setStretchLastSection(true);
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setShowGrid(true);
  setWordWrap(false);
  setContextMenuPolicy(Qt::CustomContextMenu);
}

void TPictureListView::ShowRows(const std::vector<PictureEntry>& rows) {
  setUpdatesEnabled(false);
  setRowCount(0);
  for (const PictureEntry& row : rows) AddRow(row);
  setUpdatesEnabled(true);
}

void TPictureListView::AddRow(const PictureEntry& row) {
  int r = rowCount();
  insertRow(r);
  const std::string* texts[] = {&row.Name, &row.ShownLink(), &row.Width, &row.Height};
  for (int column = 0; column < 4; ++column) {
    setItem(r, column, new QTableWidgetItem(QString::fromStdString(*texts[column])));
  }
}

std::string TPictureListView::Status(int row) const {
  const QTableWidgetItem* item = row >= 0 && row < rowCount() ? this->item(row, 4) : nullptr;
  return item != nullptr ? item->text().toStdString() : std::string();
}

void TPictureListView::SetStatus(int row, const std::string& status) {
  if (row < 0 || row >= rowCount()) return;
  // A row's status changes several times during a download; its item is kept.
  if (QTableWidgetItem* item = this->item(row, 4)) {
    item->setText(QString::fromStdString(status));
  } else {
    setItem(row, 4, new QTableWidgetItem(QString::fromStdString(status)));
  }
}

void TPictureListView::SetLink(int row, const std::string& link) {
  if (row < 0 || row >= rowCount()) return;
  setItem(row, 1, new QTableWidgetItem(QString::fromStdString(link)));
}

}  // namespace vexilo
