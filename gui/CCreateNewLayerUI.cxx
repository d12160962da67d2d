#include "CCreateNewLayerUI.h"

#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"
#include "vDataResource.h"
#include "vLayer.h"
#include "vRendererManager.h"
#include "vUserPrompt.h"
#include "vViewer.h"
#include "vVolumeResource.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <strings.h>

namespace
{
void Fill(QComboBox* box, const std::vector<std::string>& entries)
{
  box->clear();
  for (const std::string& entry : entries)
  {
    box->addItem(QString::fromStdString(entry));
  }
  box->setEditText(entries.empty() ? QString() : QString::fromStdString(entries.front()));
}
} // namespace

const std::vector<std::string>& CCreateNewLayerUI::GetLayerKinds()
{
  static const std::vector<std::string> kinds = {
    "ImageSlice", "Vol3D", "Label", "Landmark", "Mesh", "VR"
  };
  return kinds;
}

CCreateNewLayerUI::CCreateNewLayerUI(CVemoraCPEXE* boss, QWidget* parent)
  : QDialog(parent)
  , Boss(boss)
{
  this->setWindowTitle(QStringLiteral("New Layer..."));
  this->setObjectName(QStringLiteral("158"));
  auto* form = new QFormLayout;
  auto* nameLabel = new QLabel(QStringLiteral("Layer Name"), this);
  this->NameBox = new QLineEdit(this);
  this->NameBox->setObjectName(QStringLiteral("1116"));
  form->addRow(nameLabel, this->NameBox);
  nameLabel->hide();
  this->NameBox->hide();
  auto makeBox = [this](const char* id)
  {
    auto* box = new QComboBox(this);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setObjectName(QString::fromLatin1(id));
    box->setMinimumWidth(200);
    return box;
  };
  this->KindBox = makeBox("1117");
  this->ResourceBox = makeBox("1118");
  this->RendererBox = makeBox("1119");
  form->addRow(QStringLiteral("Layer Type"), this->KindBox);
  form->addRow(QStringLiteral("Resource"), this->ResourceBox);
  form->addRow(QStringLiteral("Renderer"), this->RendererBox);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CCreateNewLayerUI::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CCreateNewLayerUI::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  this->NameBox->setText(QString::fromStdString(this->SuggestLayerName()));
}

void CCreateNewLayerUI::SetLists(const std::vector<std::string>& resources,
  const std::vector<std::string>& kinds,
  const std::vector<std::string>& renderers)
{
  Fill(this->ResourceBox, resources);
  Fill(this->KindBox, kinds);
  Fill(this->RendererBox, renderers);
}

std::string CCreateNewLayerUI::SuggestLayerName() const
{
  vViewer* viewer = this->Boss ? this->Boss->GetModules()->GetViewer() : nullptr;
  if (!viewer)
  {
    return std::string();
  }
  for (int n = 1;; ++n)
  {
    std::string name = "Layer_" + std::to_string(n);
    bool taken = false;
    for (int i = 0; i < viewer->GetNumberOfItems() && !taken; ++i)
    {
      vLayer* layer = viewer->GetInput(i);
      taken = layer && strcasecmp(layer->GetName().c_str(), name.c_str()) == 0;
    }
    if (!taken)
    {
      return name;
    }
  }
}

std::string CCreateNewLayerUI::Check(const std::string& kind,
  const std::string& resource,
  const std::string& renderer) const
{
  const bool isModel =
    !resource.empty() && this->Boss && this->Boss->GetModel()->Find(resource) >= 0;
  const bool isVolume =
    !resource.empty() && this->Boss && this->Boss->GetVolume()->Find(resource) >= 0;
  if (!isModel && !isVolume)
  {
    return "error: invalid resource";
  }
  if (kind.empty())
  {
    return "error: invalid layer";
  }
  const bool modelKind = kind == "Mesh" || kind == "Landmark";
  const bool volumeKind =
    kind == "Vol" || kind == "Vol3D" || kind == "VR" || kind == "Label" || kind == "ImageSlice";
  if ((isModel && !modelKind) || (isVolume && !volumeKind))
  {
    return "error: the resource is not supported by the selected layer";
  }
  if (renderer.empty() || this->Boss->GetRenderers()->Find(renderer) < 0)
  {
    return "error: invalidate renderer";
  }
  return std::string();
}

void CCreateNewLayerUI::accept()
{
  const std::string kind = this->KindBox->currentText().toStdString();
  const std::string resource = this->ResourceBox->currentText().toStdString();
  const std::string renderer = this->RendererBox->currentText().toStdString();
  const std::string problem = this->Check(kind, resource, renderer);
  if (!problem.empty())
  {
    vUserPrompt::Get()->Inform(problem);
    return;
  }
  this->Resource = resource;
  this->Renderer = renderer;
  this->Kind = kind;
  QDialog::accept();
}
