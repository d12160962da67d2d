#ifndef CContrastUI_h
#define CContrastUI_h

#include "VemoraGUIModule.h"

#include <QDialog>

class QLabel;
class QSlider;
class vRenderable;
class vtkImageData;

/**
 * The contrast dialog: the window (lower, upper) of voxel values mapped to the ends of the colour
 * table, chosen with two sliders over the volume's scalar range (whole numbers). The bound object
 * follows live; "Auto" sets the window from the 1st to the 99th percentile of the voxels; Cancel
 * puts the starting window back. Slider object names: "Lower", "Upper"; the button: "Auto".
 */
class VEMORAGUI_EXPORT CContrastUI : public QDialog
{
  Q_OBJECT
public:
  /** `target` (borrowed, may be null) follows the sliders; `image` (borrowed) feeds "Auto". */
  CContrastUI(vRenderable* target,
    vtkImageData* image,
    const double scalarRange[2],
    const double window[2],
    QWidget* parent = nullptr);

  void GetWindow(double window[2]) const;
  void SetWindow(const double window[2]);
  /** The percentile window of the image (nothing without voxels). */
  void Auto();
  void reject() override;
  QSlider* GetLower() const { return this->Lower; }
  QSlider* GetUpper() const { return this->Upper; }

private:
  void Moved();

  vRenderable* Target; // borrowed
  vtkImageData* Image; // borrowed
  double Start[2];
  QSlider* Lower = nullptr;
  QSlider* Upper = nullptr;
  QLabel* Text = nullptr;
};

#endif
