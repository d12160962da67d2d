#include "CVemoraLayerUI.h"

#include "CPropertyUI.h"
#include "vIconSet.h"

#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"

#include "vLayer.h"
#include "vViewer.h"

#include "vProp.h"
#include "vUserPrompt.h"

#include <QKeyEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{
const char* const NoLayers = "No Layers";
}

CVemoraLayerUI::CVemoraLayerUI(CVemoraCPEXE* engine, QWidget* parent)
  : QWidget(parent)
  , Engine(engine)
{
  this->setObjectName(QStringLiteral("LayerUI"));
  this->Tree = new QTreeWidget(this);
  this->Tree->setObjectName(QStringLiteral("LayerTree"));
  this->Tree->setHeaderHidden(true);
  this->Tree->setIconSize(QSize(vIconSet::Size, vIconSet::Size));
  this->Tree->installEventFilter(this);
  connect(this->Tree, &QTreeWidget::itemSelectionChanged, this, &CVemoraLayerUI::Selected);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(this->Tree);
  this->UpdateUI();
}

vViewer* CVemoraLayerUI::GetViewer() const
{
  return this->Engine ? this->Engine->GetModules()->GetViewer() : nullptr;
}

void CVemoraLayerUI::UpdateUI()
{
  QTreeWidgetItem* current = this->Tree->currentItem();
  const QString selected = current ? current->text(0) : QString();
  this->Rebuilding = true;
  this->Tree->clear();
  this->Root = new QTreeWidgetItem(this->Tree, { QStringLiteral("View") });
  this->Root->setIcon(0, vIconSet::Icon(vIconSet::Viewer));
  vViewer* viewer = this->GetViewer();
  const int count = viewer ? viewer->GetNumberOfItems() : 0;
  for (int i = 0; i < count; ++i)
  {
    this->AddLayer(i);
  }
  if (count == 0)
  {
    new QTreeWidgetItem(this->Root, { QString::fromLatin1(NoLayers) });
  }
  this->Root->setExpanded(true);
  this->Rebuilding = false;
  // The grid follows: rows of a layer that went are dropped, the selection is shown again.
  if (this->Grid)
  {
    this->Grid->DropStaleGroups();
  }
  if (!selected.isEmpty())
  {
    this->Select(selected);
  }
}

void CVemoraLayerUI::AddLayer(int i)
{
  vViewer* viewer = this->GetViewer();
  vLayer* layer = viewer ? viewer->GetInput(i) : nullptr;
  if (!layer || !this->Root)
  {
    return;
  }
  auto* item = new QTreeWidgetItem(this->Root, { QString::fromStdString(layer->GetName()) });
  item->setIcon(0, vIconSet::Icon(vIconSet::Layer));
  // Two layers may share a name: the item keeps its layer's index.
  item->setData(0, Qt::UserRole, i);
}

bool CVemoraLayerUI::Select(const QString& text)
{
  const QList<QTreeWidgetItem*> found =
    this->Tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
  if (found.isEmpty())
  {
    return false;
  }
  if (this->Tree->currentItem() == found.first())
  {
    this->Selected(); // shown again with the values of now
  }
  else
  {
    this->Tree->setCurrentItem(found.first());
  }
  return true;
}

void CVemoraLayerUI::Selected()
{
  QTreeWidgetItem* item = this->Tree->currentItem();
  if (this->Rebuilding || !item || !this->Grid)
  {
    return;
  }
  if (item == this->Root)
  {
    this->ShowViewCtrlUI();
  }
  else if (item->text(0) != QLatin1String(NoLayers))
  {
    vViewer* viewer = this->GetViewer();
    vLayer* layer = viewer ? viewer->GetInput(item->data(0, Qt::UserRole).toInt()) : nullptr;
    if (layer && layer->GetName() == item->text(0).toStdString())
    {
      this->Grid->RemoveAll();
      this->Grid->UpdateProperty(layer);
    }
    else
    {
      this->ShowLayerCtrlUI(item->text(0).toStdString());
    }
  }
}

void CVemoraLayerUI::ShowViewCtrlUI()
{
  if (!this->Grid)
  {
    return;
  }
  this->Grid->RemoveAll();
  if (vViewer* viewer = this->GetViewer())
  {
    this->Grid->UpdateProperty(viewer);
    return;
  }
  vProp empty;
  empty.SetType("Viewer");
  empty.SetName("Empty Viewer");
  this->Grid->UpdateProperty(empty);
}

void CVemoraLayerUI::ShowLayerCtrlUI(const std::string& name)
{
  vViewer* viewer = this->GetViewer();
  const int index = viewer ? viewer->Find(name) : -1;
  if (!this->Grid || index < 0)
  {
    return;
  }
  this->Grid->RemoveAll();
  this->Grid->UpdateProperty(viewer->GetInput(index));
}

void CVemoraLayerUI::RemoveSelectedItem()
{
  QTreeWidgetItem* item = this->Tree->currentItem();
  if (!item || item == this->Root)
  {
    return;
  }
  if (item->text(0) == QLatin1String(NoLayers))
  {
    vUserPrompt::Get()->Inform("You want to delete 'No Layers'???");
    return;
  }
  const std::string name = item->text(0).toStdString();
  if (!vUserPrompt::Get()->AskYesNo("Are you sure to remove layer" + name))
  {
    return;
  }
  vViewer* viewer = this->GetViewer();
  int index = item->data(0, Qt::UserRole).toInt();
  vLayer* layer = viewer ? viewer->GetInput(index) : nullptr;
  if (!layer || layer->GetName() != name)
  {
    index = viewer ? viewer->Find(name) : -1;
  }
  if (index >= 0)
  {
    if (this->Grid)
    {
      this->Grid->RemoveAll(); // before the layer goes: no row may point at it
    }
    viewer->RemoveItem(index);
    viewer->Refresh();
  }
  this->Tree->setCurrentItem(nullptr);
  this->UpdateUI();
  emit this->LayerRemoved();
}

bool CVemoraLayerUI::eventFilter(QObject* watched, QEvent* event)
{
  if (watched == this->Tree && event->type() == QEvent::KeyPress &&
    static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete)
  {
    this->RemoveSelectedItem();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}
