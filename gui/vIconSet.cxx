#include "vIconSet.h"

#include <QPainter>
#include <QPainterPath>

namespace
{
const QColor Ink(0x2f, 0x3b, 0x4c);
const QColor Blue(0x3a, 0x7b, 0xd5);
const QColor Green(0x2e, 0x9e, 0x6b);
const QColor Orange(0xe8, 0x8a, 0x1a);
const QColor Paper(0xf4, 0xf6, 0xf9);
const QColor FolderYellow(0xe9, 0xb9, 0x3c);

void DrawMesh(QPainter& p)
{
  // A lit triangulated surface: two shades of a quad split along its diagonal.
  QPolygonF front({ { 3, 18 }, { 12, 21 }, { 21, 16 }, { 12, 13 } });
  p.setBrush(Blue);
  p.drawPolygon(front);
  QPolygonF top({ { 3, 18 }, { 12, 13 }, { 12, 3 }, { 4, 8 } });
  p.setBrush(Blue.lighter(140));
  p.drawPolygon(top);
  QPolygonF side({ { 12, 13 }, { 21, 16 }, { 20, 7 }, { 12, 3 } });
  p.setBrush(Blue.darker(120));
  p.drawPolygon(side);
  p.drawLine(QPointF(3, 18), QPointF(21, 16));
  p.drawLine(QPointF(4, 8), QPointF(12, 13));
}

void DrawMarkers(QPainter& p)
{
  p.setBrush(Orange);
  p.drawEllipse(QPointF(7, 7), 3.2, 3.2);
  p.drawEllipse(QPointF(17, 10), 3.2, 3.2);
  p.drawEllipse(QPointF(10, 17), 3.2, 3.2);
}

void DrawPointCloud(QPainter& p)
{
  p.setPen(Qt::NoPen);
  p.setBrush(Green);
  static const QPointF dots[] = { { 5, 6 },
    { 9, 4 },
    { 14, 5 },
    { 19, 7 },
    { 4, 11 },
    { 8, 9 },
    { 12, 10 },
    { 17, 11 },
    { 20, 13 },
    { 6, 15 },
    { 10, 14 },
    { 15, 15 },
    { 19, 18 },
    { 8, 19 },
    { 13, 19 },
    { 16, 21 } };
  for (const QPointF& dot : dots)
  {
    p.drawEllipse(dot, 1.3, 1.3);
  }
}

void DrawVolume(QPainter& p)
{
  // A stack of three slices.
  for (int i = 2; i >= 0; --i)
  {
    const qreal d = i * 3.0;
    QPolygonF slice({ { 3 + d, 13 - d },
      { 14 + d, 13 - d },
      { 19 + d * 0.3, 20 - d },
      { 8 + d * 0.3 - 2, 20 - d } });
    p.setBrush(QColor::fromHsv(0, 0, 90 + 60 * (2 - i)));
    p.drawPolygon(slice);
  }
}

void DrawDataItem(QPainter& p)
{
  p.setBrush(Paper);
  p.drawRoundedRect(QRectF(4, 4, 16, 16), 3, 3);
  p.setBrush(Blue);
  p.drawEllipse(QPointF(12, 12), 4, 4);
}

void DrawCategory(QPainter& p)
{
  p.setBrush(FolderYellow.darker(115));
  p.drawRoundedRect(QRectF(2.5, 5.5, 19, 15), 2, 2);
  p.setBrush(Blue.lighter(150));
  p.drawRoundedRect(QRectF(5.5, 3.5, 13, 9), 1, 1);
  p.setBrush(FolderYellow);
  p.drawRoundedRect(QRectF(2.5, 9.5, 19, 11), 2, 2);
}

void DrawViewer(QPainter& p)
{
  p.setBrush(Ink);
  p.drawRoundedRect(QRectF(2.5, 4.5, 19, 13), 2, 2);
  p.setBrush(Blue.lighter(130));
  p.drawRect(QRectF(4.5, 6.5, 15, 9));
  p.drawLine(QPointF(12, 17.5), QPointF(12, 20.5));
  p.drawLine(QPointF(7, 20.5), QPointF(17, 20.5));
}

void DrawFile(QPainter& p)
{
  QPainterPath page;
  page.moveTo(5.5, 2.5);
  page.lineTo(14.5, 2.5);
  page.lineTo(19.5, 7.5);
  page.lineTo(19.5, 21.5);
  page.lineTo(5.5, 21.5);
  page.closeSubpath();
  p.setBrush(Paper);
  p.drawPath(page);
  p.drawPolyline(QPolygonF({ { 14.5, 2.5 }, { 14.5, 7.5 }, { 19.5, 7.5 } }));
  for (int line = 0; line < 3; ++line)
  {
    const qreal y = 11.5 + 3 * line;
    p.drawLine(QPointF(8, y), QPointF(17, y));
  }
}

void DrawFolder(QPainter& p)
{
  QPainterPath shape;
  shape.moveTo(2.5, 6.5);
  shape.lineTo(9.5, 6.5);
  shape.lineTo(11.5, 8.5);
  shape.lineTo(21.5, 8.5);
  shape.lineTo(21.5, 19.5);
  shape.lineTo(2.5, 19.5);
  shape.closeSubpath();
  p.setBrush(FolderYellow);
  p.drawPath(shape);
}

void DrawLayer(QPainter& p)
{
  QPolygonF sheet({ { 2.5, 12 }, { 12, 7 }, { 21.5, 12 }, { 12, 17 } });
  p.setBrush(Blue.lighter(160));
  p.drawPolygon(sheet.translated(0, 4));
  p.setBrush(Blue);
  p.drawPolygon(sheet);
}
} // namespace

QPixmap vIconSet::Pixmap(int image, qreal ratio)
{
  if (image < 0 || image >= NumberOfImages || !(ratio > 0))
  {
    return QPixmap();
  }
  const int side = qRound(Size * ratio);
  QPixmap pixmap(side, side);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(ratio, ratio);
  p.setPen(QPen(Ink, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  switch (image)
  {
    case Mesh:
      DrawMesh(p);
      break;
    case Markers:
      DrawMarkers(p);
      break;
    case PointCloud:
      DrawPointCloud(p);
      break;
    case Volume:
      DrawVolume(p);
      break;
    case DataItem:
      DrawDataItem(p);
      break;
    case Category:
      DrawCategory(p);
      break;
    case Viewer:
      DrawViewer(p);
      break;
    case File:
      DrawFile(p);
      break;
    case Folder:
      DrawFolder(p);
      break;
    default:
      DrawLayer(p);
      break;
  }
  p.end();
  pixmap.setDevicePixelRatio(ratio);
  return pixmap;
}

QIcon vIconSet::Icon(int image)
{
  static QIcon icons[NumberOfImages];
  if (image < 0 || image >= NumberOfImages)
  {
    return QIcon();
  }
  QIcon& icon = icons[image];
  if (icon.isNull())
  {
    icon.addPixmap(Pixmap(image, 1.0));
    icon.addPixmap(Pixmap(image, 2.0));
  }
  return icon;
}
