#include "cutting_ui/JobLogView.h"

#include <QHeaderView>
#include <QTime>
#include <QTreeWidget>

namespace snipster {

void SetUpJobLog(QTreeWidget& log) {
  log.setColumnCount(4);
  log.setHeaderLabels(
      {QString(), QStringLiteral("#"), QStringLiteral("Time"), QStringLiteral("Description")});
  QTreeWidgetItem* header = log.headerItem();
  header->setTextAlignment(kLogColumnNumber, Qt::AlignCenter);
  header->setTextAlignment(kLogColumnTime, Qt::AlignCenter);
  header->setTextAlignment(kLogColumnText, Qt::AlignLeft | Qt::AlignVCenter);

  QHeaderView* columns = log.header();
  columns->setMinimumSectionSize(0);
  columns->setStretchLastSection(false);
  columns->setSectionsMovable(true);
  columns->resizeSection(0, 0);
  columns->resizeSection(kLogColumnNumber, 55);
  columns->resizeSection(kLogColumnTime, 63);
  columns->resizeSection(kLogColumnText, 500);

  log.setSelectionBehavior(QAbstractItemView::SelectRows);
  log.setSelectionMode(QAbstractItemView::ExtendedSelection);
  log.setAllColumnsShowFocus(true);
  log.setSortingEnabled(false);
  log.setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

QColor LogRowBackground(int row) {
  return row % 2 ? QColor(243, 245, 252) : QColor(Qt::white);
}

QColor LogLevelColour(int level) {
  if (level <= 0) return QColor(0, 0, 255);
  if (level == 1) return QColor(153, 0, 0);
  return QColor(255, 0, 0);
}

QTreeWidgetItem* AppendJobLogLine(QTreeWidget& log, int number, const QTime& time,
                                  const QString& text, int level) {
  // Rows are only ever appended or all removed, so a row's position, and with it its colour,
  // never changes.
  const int row = log.topLevelItemCount();
  auto* item = new QTreeWidgetItem;
  item->setData(0, kLogLevelRole, level);
  item->setText(kLogColumnNumber, QString::asprintf("%03d ", number));
  item->setText(kLogColumnTime,
                QString::asprintf("%02d:%02d:%02d", time.hour(), time.minute(), time.second()));
  item->setText(kLogColumnText, text);
  item->setToolTip(kLogColumnText, text);
  item->setTextAlignment(kLogColumnNumber, Qt::AlignCenter);
  item->setTextAlignment(kLogColumnTime, Qt::AlignCenter);
  item->setTextAlignment(kLogColumnText, Qt::AlignLeft | Qt::AlignVCenter);
  const QBrush background(LogRowBackground(row));
  const QBrush foreground(LogLevelColour(level));
  for (int column = 0; column < log.columnCount(); ++column) {
    item->setBackground(column, background);
    item->setForeground(column, foreground);
  }
  log.addTopLevelItem(item);
  log.scrollToItem(item);
  return item;
}

}  // namespace snipster
