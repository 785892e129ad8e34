#pragma once

#include <QColor>
#include <QString>

class QTime;
class QTreeWidget;
class QTreeWidgetItem;

namespace snipster {

// The log list of the cutting progress window: columns 0 (empty, no width), "#", "Time" and
// "Description"; each row keeps its level (0 normal, 1 warning, 2 error) as item data of column
// 0 and is coloured by its position and level.

inline constexpr int kLogColumnNumber = 1;
inline constexpr int kLogColumnTime = 2;
inline constexpr int kLogColumnText = 3;
inline constexpr int kLogLevelRole = Qt::UserRole;

void SetUpJobLog(QTreeWidget& log);

// Light blue-grey on odd rows (counted from 0), white on even ones.
QColor LogRowBackground(int row);
// Blue for level 0, dark red for 1, red for 2 and above.
QColor LogLevelColour(int level);

// Appends a row "%03d " / hh:mm:ss / text and scrolls it into view.
QTreeWidgetItem* AppendJobLogLine(QTreeWidget& log, int number, const QTime& time,
                                  const QString& text, int level);

}  // namespace snipster
