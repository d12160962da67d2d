#include "CMatrixUI.h"

#include "vPropertyEdits.h"

#include "vLayer.h"

#include "vUserPrompt.h"
#include "vUtil.h"

#include <vtkMatrix4x4.h>
#include <vtkNew.h>

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

const char* const CMatrixUI::MatrixFilter = "Matrix (*.mat) | *.mat|";

namespace
{
constexpr int FirstField = 1097;
constexpr int TranslationStart = 50;
constexpr int RotationStart = 180;
const int SliderIds[6] = { 1120, 1121, 1122, 1126, 1127, 1128 };
const int ValueIds[6] = { 1123, 1124, 1125, 1129, 1130, 1131 };
const double Identity[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 };
} // namespace

CMatrixUI::CMatrixUI(QWidget* parent)
  : QDialog(parent)
{
  this->setWindowTitle(QStringLiteral("Transform"));
  std::copy(Identity, Identity + 16, this->Base);

  auto* matrixBox = new QGroupBox(QStringLiteral("Matrix"), this);
  auto* grid = new QGridLayout(matrixBox);
  for (int i = 0; i < 16; ++i)
  {
    auto* field = new QLineEdit(matrixBox);
    field->setObjectName(QString::number(FirstField + i));
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("-000.000000")));
    grid->addWidget(field, i / 4, i % 4);
    this->Fields[i] = field;
  }

  auto* slidersBox = new QGroupBox(QStringLiteral("Move and rotate"), this);
  auto* sliders = new QGridLayout(slidersBox);
  static const char* const labels[6] = { "X", "Y", "Z", "Rotate X", "Rotate Y", "Rotate Z" };
  for (int i = 0; i < 6; ++i)
  {
    auto* slider = new QSlider(Qt::Horizontal, slidersBox);
    slider->setObjectName(QString::number(SliderIds[i]));
    slider->setRange(1, i < 3 ? 100 : 360);
    auto* value = new QLineEdit(slidersBox);
    value->setObjectName(QString::number(ValueIds[i]));
    value->setReadOnly(true);
    value->setMaximumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("-0000")) + 12);
    sliders->addWidget(new QLabel(QString::fromLatin1(labels[i]), slidersBox), i, 0);
    sliders->addWidget(slider, i, 1);
    sliders->addWidget(value, i, 2);
    this->Sliders[i] = slider;
    this->Values[i] = value;
  }
  this->ResetSliders();
  for (QSlider* slider : this->Sliders)
  {
    connect(slider, &QSlider::valueChanged, this, &CMatrixUI::SliderMoved);
  }

  auto* load = new QPushButton(QStringLiteral("Load..."), this);
  load->setObjectName(QStringLiteral("1113"));
  auto* save = new QPushButton(QStringLiteral("Save..."), this);
  save->setObjectName(QStringLiteral("1115"));
  auto* reset = new QPushButton(QStringLiteral("Reset"), this);
  reset->setObjectName(QStringLiteral("1137"));
  connect(load, &QPushButton::clicked, this, &CMatrixUI::Load);
  connect(save, &QPushButton::clicked, this, &CMatrixUI::Save);
  connect(reset, &QPushButton::clicked, this, &CMatrixUI::Reset);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CMatrixUI::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CMatrixUI::reject);
  auto* row = new QHBoxLayout;
  row->addWidget(load);
  row->addWidget(save);
  row->addWidget(reset);
  row->addStretch();
  row->addWidget(buttons);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(matrixBox);
  layout->addWidget(slidersBox);
  layout->addLayout(row);
  this->ShowMatrix(this->Base);
}

void CMatrixUI::SetBaseMatrix(const double matrix[16])
{
  std::copy(matrix, matrix + 16, this->Base);
  this->ShowMatrix(this->Base);
  this->ResetSliders();
}

void CMatrixUI::GetBaseMatrix(double matrix[16]) const
{
  std::copy(this->Base, this->Base + 16, matrix);
}

void CMatrixUI::SliderMatrix(int tx, int ty, int tz, int a, int b, int c, double m[16])
{
  const double x1 = a * Pi / 180;
  const double x2 = b * Pi / 180;
  const double x3 = c * Pi / 180;
  const double c1 = std::cos(x1), s1 = std::sin(x1);
  const double c2 = std::cos(x2), s2 = std::sin(x2);
  const double c3 = std::cos(x3), s3 = std::sin(x3);
  const double rows[16] = { c2 * c3,
    c2 * s3,
    -s2,
    static_cast<double>(tx),
    s1 * s2 * c3 - c1 * s3,
    s1 * s2 * s3 + c1 * c3,
    s1 * c2,
    static_cast<double>(ty),
    c1 * s2 * c3 + s1 * s3,
    c1 * s2 * s3 - s1 * c3,
    c1 * c2,
    static_cast<double>(tz),
    0,
    0,
    0,
    1 };
  std::copy(rows, rows + 16, m);
}

void CMatrixUI::GetFields(double matrix[16]) const
{
  for (int i = 0; i < 16; ++i)
  {
    matrix[i] = vPropertyEdits::ReadNumber(this->Fields[i]->text().toStdString());
  }
}

void CMatrixUI::ShowMatrix(const double matrix[16])
{
  for (int i = 0; i < 16; ++i)
  {
    this->Fields[i]->setText(QString::asprintf("%f", matrix[i]));
  }
}

void CMatrixUI::ResetSliders()
{
  for (int i = 0; i < 6; ++i)
  {
    const QSignalBlocker block(this->Sliders[i]);
    this->Sliders[i]->setValue(i < 3 ? TranslationStart : RotationStart);
    this->Values[i]->setText(QStringLiteral("0"));
  }
}

void CMatrixUI::GiveToTarget()
{
  if (!this->Target)
  {
    return;
  }
  double values[16];
  this->GetFields(values); // the layer gets the six decimals that the fields show
  this->Target->SetTransform(values);
  this->Target->Refresh();
}

void CMatrixUI::SliderMoved()
{
  int v[6];
  for (int i = 0; i < 6; ++i)
  {
    v[i] = this->Sliders[i]->value() - (i < 3 ? TranslationStart : RotationStart);
    this->Values[i]->setText(QString::asprintf("%d", v[i]));
  }
  double s[16];
  SliderMatrix(v[0], v[1], v[2], v[3], v[4], v[5], s);
  vtkNew<vtkMatrix4x4> base;
  vtkNew<vtkMatrix4x4> slider;
  vtkNew<vtkMatrix4x4> result;
  base->DeepCopy(this->Base);
  slider->DeepCopy(s);
  vtkMatrix4x4::Multiply4x4(base, slider, result);
  this->ShowMatrix(result->GetData());
  this->GiveToTarget();
}

void CMatrixUI::Reset()
{
  std::copy(Identity, Identity + 16, this->Base);
  this->ShowMatrix(this->Base);
  this->ResetSliders();
  this->GiveToTarget();
}

void CMatrixUI::Load()
{
  const std::string path = vUserPrompt::Get()->AskOpenFile(MatrixFilter, std::string());
  if (path.empty())
  {
    return;
  }
  double loaded[16];
  std::copy(this->Base, this->Base + 16, loaded);
  vUtil::LoadMat(path, loaded);
  // A file with "nan" or "inf" in it would make the layer vanish: such a file is not taken.
  if (!std::all_of(loaded, loaded + 16, [](double v) { return std::isfinite(v); }))
  {
    vUserPrompt::Get()->Inform("The matrix file holds values that are not numbers: " + path);
    return;
  }
  std::copy(loaded, loaded + 16, this->Base);
  this->ShowMatrix(this->Base);
}

void CMatrixUI::Save()
{
  const std::string path = vUserPrompt::Get()->AskSaveFile(MatrixFilter, std::string());
  if (path.empty())
  {
    return;
  }
  double values[16];
  this->GetFields(values);
  if (vUtil::SaveMat(path, values) != 0)
  {
    vUserPrompt::Get()->Inform("The matrix could not be written to " + path);
  }
}

void CMatrixUI::accept()
{
  this->GetFields(this->Base);
  QDialog::accept();
}
