#ifndef vReportList_h
#define vReportList_h

#include <QString>

#include <string>
#include <utility>
#include <vector>

class QTreeWidget;
class QWidget;

/** The report lists of the dialogs: columns of fixed widths, full-row selection, grid lines. */
namespace vReportList
{
/** A list named `id` with the given (title, width in pixels) columns. */
QTreeWidget* Make(QWidget* parent,
  const QString& id,
  const std::vector<std::pair<const char*, int>>& columns);
/** Appends a row of texts. */
void AddRow(QTreeWidget* list, const std::vector<std::string>& texts);
} // namespace vReportList

#endif
