#include "CPropertyUI.h"

#include "CContrastUI.h"
#include "CMatrixUI.h"
#include "CSliceUI.h"

#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"
#include "vPropertyEdits.h"

#include "vImageLayer.h"
#include "vLayer.h"
#include "vViewer.h"
#include "vVolumeResource.h"

#include "vProp.h"
#include "vUserPrompt.h"

#include <vtkImageData.h>

#include <QColorDialog>
#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QSlider>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace
{
constexpr double UnsetMatrixEntry = -999.9;

QString Colour255(const double rgb[3])
{
  return QStringLiteral("%1, %2, %3")
    .arg(qRound(rgb[0] * 255))
    .arg(qRound(rgb[1] * 255))
    .arg(qRound(rgb[2] * 255));
}

QColor ToQColor(const double rgb[3])
{
  auto c = [](double v)
  { return std::max(0, std::min(255, static_cast<int>(std::lround(v * 255)))); };
  return QColor(c(rgb[0]), c(rgb[1]), c(rgb[2]));
}

QString SliceText(const int s[3])
{
  if (s[0] >= 0 && s[1] >= 0 && s[2] >= 0)
  {
    return QString::asprintf("%d, %d, %d", s[0], s[1], s[2]);
  }
  return s[0] >= 0 ? QString::asprintf("%d", s[0]) : QString();
}
} // namespace

CPropertyUI::CPropertyUI(QWidget* parent)
  : QWidget(parent)
  , RunDialog([](QDialog& dialog) { return dialog.exec(); })
{
  this->setObjectName(QStringLiteral("PropertyUI"));
  this->Tree = new QTreeWidget(this);
  this->Tree->setObjectName(QStringLiteral("PropertyGrid"));
  this->Tree->setColumnCount(2);
  this->Tree->setHeaderLabels({ QStringLiteral("Property"), QStringLiteral("Value") });
  this->Tree->setRootIsDecorated(true);
  this->Tree->setAlternatingRowColors(true);
  this->Tree->setUniformRowHeights(true);
  this->Tree->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
    QAbstractItemView::SelectedClicked);
  this->Tree->header()->setSectionResizeMode(0, QHeaderView::Interactive);
  this->Tree->header()->setStretchLastSection(true);
  // Names such as "Representation" fit beside the tree's indentation.
  this->Tree->setColumnWidth(0,
    this->Tree->fontMetrics().horizontalAdvance(QStringLiteral("Representation")) +
      2 * this->Tree->indentation());
  connect(this->Tree,
    &QTreeWidget::itemChanged,
    this,
    [this](QTreeWidgetItem* row, int column)
    {
      if (!this->Filling && column == 1 && row->parent())
      {
        this->EditValue(row, row->text(1));
      }
    });
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(this->Tree);
}

CPropertyUI::~CPropertyUI() = default;

void CPropertyUI::RemoveAll()
{
  ++this->Generation;
  this->Filling = true;
  this->Tree->clear();
  this->Filling = false;
  this->Bindings.clear();
}

int CPropertyUI::GetNumberOfGroups() const
{
  return this->Tree->topLevelItemCount();
}

QString CPropertyUI::GetGroupName(int group) const
{
  QTreeWidgetItem* item = this->Tree->topLevelItem(group);
  return item ? item->text(0) : QString();
}

QTreeWidgetItem* CPropertyUI::FindRow(const QString& name, int group) const
{
  QTreeWidgetItem* parent =
    this->Tree->topLevelItem(group < 0 ? this->Tree->topLevelItemCount() - 1 : group);
  for (int i = 0; parent && i < parent->childCount(); ++i)
  {
    if (parent->child(i)->data(0, NameRole).toString() == name)
    {
      return parent->child(i);
    }
  }
  return nullptr;
}

QWidget* CPropertyUI::GetEditor(QTreeWidgetItem* row) const
{
  return row ? this->Tree->itemWidget(row, 1) : nullptr;
}

QString CPropertyUI::GetValue(QTreeWidgetItem* row) const
{
  return row ? row->data(1, Qt::UserRole).toString() : QString();
}

QTreeWidgetItem* CPropertyUI::AddRow(QTreeWidgetItem* group,
  const QString& name,
  const QString& value)
{
  auto* row = new QTreeWidgetItem(group);
  row->setText(0, name);
  row->setData(0, NameRole, name);
  row->setData(1, Qt::UserRole, value);
  return row;
}

void CPropertyUI::SetRowValue(QTreeWidgetItem* row, const QString& value)
{
  this->Filling = true;
  row->setData(1, Qt::UserRole, value);
  if (auto* button = qobject_cast<QPushButton*>(this->GetEditor(row)))
  {
    button->setText(value);
  }
  else if (!this->GetEditor(row))
  {
    row->setText(1, value);
  }
  this->Filling = false;
}

void CPropertyUI::UpdateProperty(const vProp& set)
{
  this->Filling = true;
  auto* group = new QTreeWidgetItem(this->Tree, { QStringLiteral("QOVA") });
  group->setFirstColumnSpanned(true);
  QFont bold = group->font(0);
  bold.setBold(true);
  group->setFont(0, bold);
  group->setData(0, BindingRole, -1);
  for (int i = 0; i < set.GetNumberOfItems(); ++i)
  {
    const std::string value = set.GetValue(i);
    if (value != "null")
    {
      QTreeWidgetItem* row =
        this->AddRow(group, QString::fromStdString(set.GetTag(i)), QString::fromStdString(value));
      row->setText(1, QString::fromStdString(value));
      row->setData(0, KindRole, vPropertyEdits::ReadOnly);
    }
  }
  group->setExpanded(true);
  this->Filling = false;
}

void CPropertyUI::UpdateProperty(vRenderable* object)
{
  if (!object)
  {
    return;
  }
  this->Filling = true;
  const vProp* set = object->GetProperty();
  auto* group = new QTreeWidgetItem(this->Tree, { QString::fromStdString(set->GetType()) });
  group->setFirstColumnSpanned(true);
  QFont bold = group->font(0);
  bold.setBold(true);
  group->setFont(0, bold);
  auto* viewer = dynamic_cast<vViewer*>(object);
  auto* layer = dynamic_cast<vLayer*>(object);
  vViewer* owner = viewer;
  if (!owner && this->Engine)
  {
    owner = this->Engine->GetModules()->GetViewer();
  }
  group->setData(0, BindingRole, static_cast<int>(this->Bindings.size()));
  this->Bindings.push_back({ object, layer, owner });

  for (int i = 0; i < set->GetNumberOfItems(); ++i)
  {
    const std::string tag = set->GetTag(i);
    const std::string value = set->GetValue(i);
    if (value == "null")
    {
      continue;
    }
    const QString name = QString::fromStdString(tag);
    QString shown = QString::fromStdString(value);
    const vPropertyEdits::Description description = vPropertyEdits::Describe(tag);
    int kind = description.What;
    if (tag == "Background" || tag == "Color")
    {
      double rgb[3];
      tag == "Color" ? set->GetColor(rgb) : set->GetBackgroundColor(rgb);
      shown = Colour255(rgb);
    }
    else if (tag == "Slice")
    {
      int slice[3];
      set->GetSlice(slice);
      shown = SliceText(slice);
      if (shown.isEmpty())
      {
        continue; // a negative first index: no row
      }
    }
    QTreeWidgetItem* row = this->AddRow(group, name, shown);
    row->setData(0, KindRole, kind);
    row->setToolTip(0, QString::fromStdString(description.Help));
    this->AddEditor(row, object, kind, shown);
  }
  group->setExpanded(true);
  this->Filling = false;
}

void CPropertyUI::AddEditor(QTreeWidgetItem* row,
  vRenderable* object,
  int kind,
  const QString& value)
{
  const unsigned generation = this->Generation;
  auto alive = [this, generation]() { return generation == this->Generation; };
  const std::string name = row->data(0, NameRole).toString().toStdString();
  switch (kind)
  {
    case vPropertyEdits::List:
    {
      auto* box = new QComboBox;
      for (const std::string& choice : vPropertyEdits::Describe(name).Choices)
      {
        box->addItem(QString::fromStdString(choice));
      }
      if (box->findText(value) < 0)
      {
        box->insertItem(0, value); // a stored value outside the choices still shows
      }
      box->setCurrentText(value);
      connect(box,
        &QComboBox::textActivated,
        this,
        [this, row, alive](const QString& text)
        {
          if (alive())
          {
            this->EditValue(row, text);
          }
        });
      this->Tree->setItemWidget(row, 1, box);
      break;
    }
    case vPropertyEdits::Colour:
    {
      auto* button = new QPushButton(value);
      double rgb[3];
      name == "Color" ? object->GetProperty()->GetColor(rgb)
                      : object->GetProperty()->GetBackgroundColor(rgb);
      QPixmap swatch(12, 12);
      swatch.fill(ToQColor(rgb));
      button->setIcon(QIcon(swatch));
      button->setToolTip(QString::fromStdString(vPropertyEdits::Describe(name).Help));
      connect(button,
        &QPushButton::clicked,
        this,
        [this, row, alive, rgb]()
        {
          const QColor chosen = QColorDialog::getColor(ToQColor(rgb), this);
          if (chosen.isValid() && alive())
          {
            this->EditColour(row, chosen);
          }
        });
      this->Tree->setItemWidget(row, 1, button);
      break;
    }
    case vPropertyEdits::Slider:
    {
      auto* slider = new QSlider(Qt::Horizontal);
      slider->setRange(0, 100);
      slider->setValue(qRound(vPropertyEdits::ReadNumber(value.toStdString()) * 100));
      slider->setTracking(false); // one edit per release, not one per pixel dragged
      connect(slider,
        &QSlider::valueChanged,
        this,
        [this, row, alive](int position)
        {
          if (alive())
          {
            this->EditOpacity(row, position);
          }
        });
      this->Tree->setItemWidget(row, 1, slider);
      break;
    }
    case vPropertyEdits::Dialog:
    {
      auto* button = new QPushButton(value);
      connect(button,
        &QPushButton::clicked,
        this,
        [this, row, alive]()
        {
          if (alive())
          {
            this->OpenDialog(row);
          }
        });
      this->Tree->setItemWidget(row, 1, button);
      break;
    }
    case vPropertyEdits::Text:
      row->setText(1, value);
      row->setFlags(row->flags() | Qt::ItemIsEditable);
      break;
    default:
      row->setText(1, value);
      break;
  }
}

vRenderable* CPropertyUI::GetTarget(QTreeWidgetItem* row) const
{
  QTreeWidgetItem* group = row ? row->parent() : nullptr;
  const int index = group ? group->data(0, BindingRole).toInt() : -1;
  if (index < 0 || index >= static_cast<int>(this->Bindings.size()))
  {
    return nullptr;
  }
  const Binding& binding = this->Bindings[static_cast<size_t>(index)];
  if (!this->Engine)
  {
    return binding.Object;
  }
  vViewer* viewer = this->Engine->GetModules()->GetViewer();
  if (!viewer || viewer != binding.Viewer)
  {
    return nullptr;
  }
  if (!binding.Layer)
  {
    return viewer;
  }
  return viewer->Find(binding.Layer) >= 0 ? binding.Layer : nullptr;
}

bool CPropertyUI::DropStaleGroups()
{
  for (int g = 0; g < this->Tree->topLevelItemCount(); ++g)
  {
    QTreeWidgetItem* group = this->Tree->topLevelItem(g);
    if (group->data(0, BindingRole).toInt() >= 0 && group->childCount() > 0 &&
      !this->GetTarget(group->child(0)))
    {
      this->RemoveAll();
      return true;
    }
  }
  return false;
}

vRenderable* CPropertyUI::CheckedTarget(QTreeWidgetItem* row)
{
  vRenderable* target = this->GetTarget(row);
  if (!target)
  {
    this->RemoveAll();
    vUserPrompt::Get()->Inform("error: the object of this property is no longer in the viewer");
  }
  return target;
}

bool CPropertyUI::EditValue(QTreeWidgetItem* row, const QString& value)
{
  vRenderable* target = row ? this->CheckedTarget(row) : nullptr;
  if (!target)
  {
    return false;
  }
  const QString name = row->data(0, NameRole).toString();
  if (!vPropertyEdits::Apply(target, name.toStdString(), value.toStdString()))
  {
    return false;
  }
  this->SetRowValue(row, value);
  emit this->Edited(name);
  return true;
}

bool CPropertyUI::EditColour(QTreeWidgetItem* row, const QColor& colour)
{
  vRenderable* target = row ? this->CheckedTarget(row) : nullptr;
  if (!target)
  {
    return false;
  }
  const QString name = row->data(0, NameRole).toString();
  const int rgb[3] = { colour.red(), colour.green(), colour.blue() };
  if (!vPropertyEdits::ApplyColour(target, name.toStdString(), rgb))
  {
    return false;
  }
  const QString text = QStringLiteral("%1, %2, %3").arg(rgb[0]).arg(rgb[1]).arg(rgb[2]);
  this->SetRowValue(row, text);
  if (auto* button = qobject_cast<QPushButton*>(this->GetEditor(row)))
  {
    QPixmap swatch(12, 12);
    swatch.fill(colour);
    button->setIcon(QIcon(swatch));
  }
  emit this->Edited(name);
  return true;
}

bool CPropertyUI::EditOpacity(QTreeWidgetItem* row, int position)
{
  vRenderable* target = row ? this->CheckedTarget(row) : nullptr;
  if (!target || !vPropertyEdits::ApplyOpacity(target, position))
  {
    return false;
  }
  row->setData(1, Qt::UserRole, QString::asprintf("%.2f", position / 100.0));
  if (auto* slider = qobject_cast<QSlider*>(this->GetEditor(row)))
  {
    const QSignalBlocker block(slider);
    slider->setValue(position);
  }
  emit this->Edited(QStringLiteral("Opacity"));
  return true;
}

bool CPropertyUI::OpenDialog(QTreeWidgetItem* row)
{
  vRenderable* target = row ? this->CheckedTarget(row) : nullptr;
  if (!target)
  {
    return false;
  }
  const QString name = row->data(0, NameRole).toString();
  bool accepted = false;
  if (name == QLatin1String("Transform"))
  {
    accepted = this->OpenTransform(row, target);
  }
  else if (name == QLatin1String("Slice"))
  {
    accepted = this->OpenSlice(row, target);
  }
  else if (name == QLatin1String("Contrast"))
  {
    accepted = this->OpenContrast(row, target);
  }
  else if (name == QLatin1String("Color Map"))
  {
    accepted = this->OpenColorMap(row, target);
  }
  if (accepted)
  {
    emit this->Edited(name);
  }
  return accepted;
}

bool CPropertyUI::OpenTransform(QTreeWidgetItem* row, vRenderable* target)
{
  auto* layer = dynamic_cast<vLayer*>(target);
  if (!layer)
  {
    return false;
  }
  double matrix[16];
  layer->GetTransform(matrix);
  if (std::all_of(matrix, matrix + 16, [](double v) { return v == UnsetMatrixEntry; }))
  {
    const double identity[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 };
    std::copy(identity, identity + 16, matrix);
  }
  CMatrixUI dialog(this);
  dialog.SetBaseMatrix(matrix);
  dialog.SetTarget(layer);
  const unsigned generation = this->Generation;
  if (this->RunDialog(dialog) != QDialog::Accepted || generation != this->Generation)
  {
    return false;
  }
  this->SetRowValue(row, QString::fromStdString(layer->GetProperty()->GetValue("Transform")));
  return true;
}

bool CPropertyUI::HasVolume(vRenderable* target) const
{
  auto* layer = dynamic_cast<vImageLayer*>(target);
  if (!layer || !this->Engine)
  {
    return layer != nullptr;
  }
  if (this->Engine->GetVolume()->Find(layer->GetFirstResourceName()) < 0)
  {
    vUserPrompt::Get()->Inform(
      "error: the volume of layer " + layer->GetName() + " is no longer in the workspace");
    return false;
  }
  return true;
}

bool CPropertyUI::OpenSlice(QTreeWidgetItem* row, vRenderable* target)
{
  if (!this->HasVolume(target))
  {
    return false;
  }
  int slice[3];
  int range[6];
  target->GetProperty()->GetSlice(slice);
  target->GetProperty()->GetSliceRange(range);
  CSliceUI dialog(target, slice, range, this);
  const unsigned generation = this->Generation;
  if (this->RunDialog(dialog) != QDialog::Accepted || generation != this->Generation)
  {
    return false;
  }
  dialog.GetSlice(slice);
  this->SetRowValue(row, SliceText(slice));
  return true;
}

bool CPropertyUI::OpenContrast(QTreeWidgetItem* row, vRenderable* target)
{
  if (!this->HasVolume(target))
  {
    return false;
  }
  auto* layer = static_cast<vImageLayer*>(target);
  double range[2];
  double window[2];
  target->GetProperty()->GetScalarRange(range);
  target->GetProperty()->GetContrast(window);
  if (range[0] <= -999.0 || range[1] <= -999.0)
  {
    layer->GetScalarRange(range);
  }
  CContrastUI dialog(target, layer->GetImage(), range, window, this);
  const unsigned generation = this->Generation;
  if (this->RunDialog(dialog) != QDialog::Accepted || generation != this->Generation)
  {
    return false;
  }
  dialog.GetWindow(window);
  this->SetRowValue(row, QString::asprintf("[%.1f, %.1f]", window[0], window[1]));
  return true;
}

bool CPropertyUI::OpenColorMap(QTreeWidgetItem* row, vRenderable* target)
{
  const std::string path = vUserPrompt::Get()->AskOpenFile("", std::string());
  if (path.empty())
  {
    return false;
  }
  std::vector<double> read;
  const int count = vPropertyEdits::ReadColorMap(path, read);
  if (count < 0)
  {
    vUserPrompt::Get()->Inform("error: couldn't open file " + path);
    return false;
  }
  if (count == 0)
  {
    vUserPrompt::Get()->Inform("error: no values in file " + path);
    return false;
  }
  // The layer reads the values while it shows them: they live in the panel's buffer for it.
  std::vector<double>& values = this->ColorMaps[target];
  values.swap(read);
  vPropertyEdits::ApplyColorMap(target, values.data(), count);
  if (target->isA("MeshLayer"))
  {
    this->SetRowValue(row, QStringLiteral("True"));
  }
  return true;
}
