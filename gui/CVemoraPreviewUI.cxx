#include "CVemoraPreviewUI.h"

#include "vInstallation.h"
#include "vQVFile.h"

#include <QPainter>

#include <algorithm>
#include <vector>

CVemoraPreviewUI::CVemoraPreviewUI(QWidget* parent)
  : QWidget(parent)
{
  this->setObjectName(QStringLiteral("Preview"));
  this->setMinimumHeight(64);
}

void CVemoraPreviewUI::Preview()
{
  if (!vInstallation::IsFile(this->Filename))
  {
    return;
  }
  const std::string& name = this->Filename;
  if (name.size() >= 2 && name.compare(name.size() - 2, 2, "qv") == 0)
  {
    this->PreviewXV(name);
  }
  else
  {
    this->NoPreview();
  }
}

bool CVemoraPreviewUI::PreviewXV(const std::string& path)
{
  std::vector<uint32_t> slice;
  int columns = 0;
  int rows = 0;
  std::string error;
  if (!vQVFile::ReadPreview(path, slice, columns, rows, error))
  {
    this->Image = QImage();
    this->Message = QString::fromStdString(error);
    this->update();
    return false;
  }
  this->Message.clear();
  this->DrawImageFromDataPtr(slice.data(), rows, columns);
  return true;
}

void CVemoraPreviewUI::DrawImageFromDataPtr(const uint32_t* values, int rows, int columns)
{
  if (!values || rows <= 0 || columns <= 0)
  {
    this->Image = QImage();
    this->update();
    return;
  }
  const size_t count = static_cast<size_t>(rows) * static_cast<size_t>(columns);
  const uint32_t largest = *std::max_element(values, values + count);
  QImage image(columns, rows, QImage::Format_Grayscale8);
  for (int y = 0; y < rows; ++y)
  {
    uchar* line = image.scanLine(y);
    const uint32_t* source = values + static_cast<size_t>(y) * static_cast<size_t>(columns);
    for (int x = 0; x < columns; ++x)
    {
      line[x] =
        largest == 0 ? 0 : static_cast<uchar>(static_cast<double>(source[x]) / largest * 255.0);
    }
  }
  this->Image = image;
  this->update();
}

void CVemoraPreviewUI::paintEvent(QPaintEvent*)
{
  QPainter painter(this);
  if (this->Image.isNull())
  {
    if (!this->Message.isEmpty())
    {
      painter.drawText(
        this->rect().adjusted(4, 4, -4, -4), Qt::AlignCenter | Qt::TextWordWrap, this->Message);
    }
    return;
  }
  const QSize fitted = this->Image.size().scaled(this->size(), Qt::KeepAspectRatio);
  const QRect target(
    QPoint((this->width() - fitted.width()) / 2, (this->height() - fitted.height()) / 2), fitted);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(target, this->Image);
}
