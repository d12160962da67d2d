#ifndef vIconSet_h
#define vIconSet_h

#include "VemoraGUIModule.h"

#include <QIcon>
#include <QPixmap>

/**
 * The workstation's own 24 x 24 icons, drawn with QPainter from vector shapes at the pixel ratio
 * asked for, so they stay crisp at 2x. Indices follow the workspace tree's image list: 0 surface
 * mesh, 1 markers, 2 point cloud, 3 image volume, 4 data item, 5 data category, 6 viewer,
 * 7 file (recent files, hard resources), 8 folder (case folders), 9 layer.
 */
class VEMORAGUI_EXPORT vIconSet
{
public:
  enum Image
  {
    Mesh = 0,
    Markers = 1,
    PointCloud = 2,
    Volume = 3,
    DataItem = 4,
    Category = 5,
    Viewer = 6,
    File = 7,
    Folder = 8,
    Layer = 9,
    NumberOfImages = 10
  };
  static constexpr int Size = 24;

  /** The icon of an image index (with 1x and 2x pixmaps); a null icon for an unknown index. */
  static QIcon Icon(int image);
  /** One drawing of the icon at `ratio` (24 x 24 device-independent pixels). */
  static QPixmap Pixmap(int image, qreal ratio);
};

#endif
