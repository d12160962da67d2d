#include "CComponentUI.h"

CComponentUI::CComponentUI(QWidget* parent)
  : QTabWidget(parent)
{
  this->setObjectName(QStringLiteral("ComponentUI"));
  this->setDocumentMode(true);
}

void CComponentUI::AddTabItem(int index, const std::string& name, QWidget* page)
{
  if (this->count() >= MaximumTabs)
  {
    return;
  }
  if (!page)
  {
    page = new QWidget;
  }
  this->insertTab(index, page, QString::fromStdString(name));
}

void CComponentUI::SelectTab(const std::string& name)
{
  const QString wanted = QString::fromStdString(name);
  for (int i = this->count() - 1; i >= 0; --i)
  {
    if (this->tabText(i).compare(wanted, Qt::CaseInsensitive) == 0)
    {
      this->setCurrentIndex(i);
      if (QWidget* page = this->widget(i))
      {
        page->show();
      }
      return;
    }
  }
}

void CComponentUI::HideTabs()
{
  for (int i = 0; i < this->count(); ++i)
  {
    if (QWidget* page = this->widget(i))
    {
      page->hide();
    }
  }
}

void CComponentUI::InitTab()
{
  if (this->count() > 0)
  {
    this->setCurrentIndex(0);
    if (QWidget* page = this->widget(0))
    {
      page->show();
    }
  }
}
