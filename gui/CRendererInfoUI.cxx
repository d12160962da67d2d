#include "CRendererInfoUI.h"

#include "vReportList.h"

#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"
#include "vRendererManager.h"
#include "vUserPrompt.h"
#include "vViewer.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

CRendererInfoUI::CRendererInfoUI(CVemoraCPEXE* boss, QWidget* parent)
  : QDialog(parent)
  , Boss(boss)
{
  this->setWindowTitle(QStringLiteral("Renderers"));
  this->setObjectName(QStringLiteral("179"));
  this->List = vReportList::Make(this, QStringLiteral("1069"), { { "id", 40 }, { "Name", 120 } });
  vViewer* viewer = boss ? boss->GetModules()->GetViewer() : nullptr;
  vRendererManager* renderers = viewer ? viewer->GetRenderer() : nullptr;
  if (renderers)
  {
    for (int i = 0; i < renderers->GetNumberOfRenderer(); ++i)
    {
      vReportList::AddRow(this->List, { std::to_string(i + 1), renderers->GetRendererName(i) });
    }
  }
  auto* reset = new QPushButton(QStringLiteral("Reset Camera"), this);
  reset->setObjectName(QStringLiteral("1075"));
  connect(reset, &QPushButton::clicked, this, &CRendererInfoUI::ResetCamera);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(this->List);
  layout->addWidget(reset);
  layout->addWidget(buttons);
  this->resize(420, 300);
}

void CRendererInfoUI::ResetCamera()
{
  QTreeWidgetItem* row = this->List->currentItem();
  if (!row || !row->isSelected())
  {
    vUserPrompt::Get()->Inform("Please select a renderer");
    return;
  }
  vViewer* viewer = this->Boss ? this->Boss->GetModules()->GetViewer() : nullptr;
  if (viewer)
  {
    viewer->ResetCamera(row->text(1).toStdString());
    viewer->Refresh();
  }
}
