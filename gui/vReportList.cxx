#include "vReportList.h"

#include <QHeaderView>
#include <QTreeWidget>

QTreeWidget* vReportList::Make(QWidget* parent,
  const QString& id,
  const std::vector<std::pair<const char*, int>>& columns)
{
  auto* list = new QTreeWidget(parent);
  list->setObjectName(id);
  list->setRootIsDecorated(false);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setAllColumnsShowFocus(true);
  // Grid lines between the cells, as report lists draw them.
  list->setStyleSheet(QStringLiteral(
    "QTreeView::item { border-right: 1px solid #d0d0d0; border-bottom: 1px solid #d0d0d0; }"));
  QStringList titles;
  for (const auto& column : columns)
  {
    titles << QString::fromLatin1(column.first);
  }
  list->setHeaderLabels(titles);
  for (size_t i = 0; i < columns.size(); ++i)
  {
    list->header()->resizeSection(static_cast<int>(i), columns[i].second);
  }
  return list;
}

void vReportList::AddRow(QTreeWidget* list, const std::vector<std::string>& texts)
{
  auto* item = new QTreeWidgetItem(list);
  for (size_t i = 0; i < texts.size(); ++i)
  {
    item->setText(static_cast<int>(i), QString::fromStdString(texts[i]));
  }
}
