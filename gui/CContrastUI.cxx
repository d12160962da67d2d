#include "CContrastUI.h"

#include "vPropertyEdits.h"

#include "vRenderable.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <climits>
#include <cmath>

namespace
{
int ToSlider(double value)
{
  if (!std::isfinite(value))
  {
    return 0;
  }
  return static_cast<int>(
    std::max<double>(INT_MIN / 2, std::min<double>(INT_MAX / 2, std::round(value))));
}
} // namespace

CContrastUI::CContrastUI(vRenderable* target,
  vtkImageData* image,
  const double scalarRange[2],
  const double window[2],
  QWidget* parent)
  : QDialog(parent)
  , Target(target)
  , Image(image)
{
  this->setWindowTitle(QStringLiteral("Contrast"));
  this->Start[0] = window[0];
  this->Start[1] = window[1];
  int low = ToSlider(std::floor(scalarRange[0]));
  int high = ToSlider(std::ceil(scalarRange[1]));
  if (high < low)
  {
    std::swap(low, high);
  }
  this->Lower = new QSlider(Qt::Horizontal, this);
  this->Lower->setObjectName(QStringLiteral("Lower"));
  this->Upper = new QSlider(Qt::Horizontal, this);
  this->Upper->setObjectName(QStringLiteral("Upper"));
  for (QSlider* slider : { this->Lower, this->Upper })
  {
    slider->setRange(low, high);
    slider->setMinimumWidth(240);
  }
  this->Text = new QLabel(this);
  auto* automatic = new QPushButton(QStringLiteral("Auto"), this);
  automatic->setObjectName(QStringLiteral("Auto"));
  automatic->setToolTip(QStringLiteral("Window from the 1st to the 99th percentile of the voxels"));
  automatic->setEnabled(image != nullptr);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->addButton(automatic, QDialogButtonBox::ActionRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CContrastUI::reject);
  connect(automatic, &QPushButton::clicked, this, &CContrastUI::Auto);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Lower"), this->Lower);
  form->addRow(QStringLiteral("Upper"), this->Upper);
  form->addRow(QStringLiteral("Window"), this->Text);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);

  {
    const QSignalBlocker blockLower(this->Lower);
    const QSignalBlocker blockUpper(this->Upper);
    this->Lower->setValue(window[0] >= 0 ? ToSlider(window[0]) : low);
    this->Upper->setValue(window[1] >= 0 ? ToSlider(window[1]) : high);
  }
  this->Text->setText(QString::asprintf("[%d, %d]", this->Lower->value(), this->Upper->value()));
  connect(this->Lower, &QSlider::valueChanged, this, &CContrastUI::Moved);
  connect(this->Upper, &QSlider::valueChanged, this, &CContrastUI::Moved);
}

void CContrastUI::GetWindow(double window[2]) const
{
  window[0] = this->Lower->value();
  window[1] = this->Upper->value();
}

void CContrastUI::SetWindow(const double window[2])
{
  {
    const QSignalBlocker blockLower(this->Lower);
    const QSignalBlocker blockUpper(this->Upper);
    this->Lower->setValue(ToSlider(window[0]));
    this->Upper->setValue(ToSlider(window[1]));
  }
  this->Moved();
}

void CContrastUI::Moved()
{
  double window[2];
  this->GetWindow(window);
  this->Text->setText(QString::asprintf("[%d, %d]", this->Lower->value(), this->Upper->value()));
  vPropertyEdits::ApplyContrast(this->Target, window);
}

void CContrastUI::Auto()
{
  double window[2];
  if (vPropertyEdits::AutoWindow(this->Image, window))
  {
    this->SetWindow(window);
  }
}

void CContrastUI::reject()
{
  if (this->Start[0] >= 0 && this->Start[1] >= 0)
  {
    vPropertyEdits::ApplyContrast(this->Target, this->Start);
  }
  QDialog::reject();
}
