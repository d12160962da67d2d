#include "CSliceUI.h"

#include "vPropertyEdits.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

namespace
{
constexpr int UnsetSlice = -999;
}

CSliceUI::CSliceUI(vRenderable* target, const int slice[3], const int range[6], QWidget* parent)
  : QDialog(parent)
  , Target(target)
{
  this->setWindowTitle(QStringLiteral("Slice"));
  std::copy(slice, slice + 3, this->Start);
  const bool single = slice[0] >= 0 && slice[1] == UnsetSlice && slice[2] == UnsetSlice;
  this->Count = single ? 1 : (slice[0] >= 0 && slice[1] >= 0 && slice[2] >= 0 ? 3 : 0);
  auto* form = new QFormLayout;
  static const char* const names[3] = { "X", "Y", "Z" };
  for (int i = 0; i < this->Count; ++i)
  {
    const int low = range[2 * i];
    const int high = range[2 * i + 1];
    // Indices count from the range's start; an unset range still lets the current index show.
    const int last = (low >= 0 && high >= low) ? high - low : std::max(slice[i], 0);
    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setObjectName(QStringLiteral("Slice%1").arg(i));
    slider->setRange(0, std::max(last, slice[i]));
    slider->setValue(slice[i]);
    slider->setMinimumWidth(240);
    this->Texts[i] = new QLabel(QString::number(slice[i]), this);
    auto* row = new QHBoxLayout;
    row->addWidget(slider);
    row->addWidget(this->Texts[i]);
    form->addRow(single ? QStringLiteral("Slice") : QString::fromLatin1(names[i]), row);
    this->Sliders[i] = slider;
    connect(slider, &QSlider::valueChanged, this, &CSliceUI::Moved);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CSliceUI::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

void CSliceUI::GetSlice(int slice[3]) const
{
  std::copy(this->Start, this->Start + 3, slice);
  for (int i = 0; i < this->Count; ++i)
  {
    slice[i] = this->Sliders[i]->value();
  }
}

void CSliceUI::Moved()
{
  int slice[3];
  this->GetSlice(slice);
  for (int i = 0; i < this->Count; ++i)
  {
    this->Texts[i]->setText(QString::number(slice[i]));
  }
  vPropertyEdits::ApplySlice(this->Target, slice);
}

void CSliceUI::reject()
{
  int now[3];
  this->GetSlice(now);
  if (!std::equal(now, now + 3, this->Start))
  {
    vPropertyEdits::ApplySlice(this->Target, this->Start);
  }
  QDialog::reject();
}
