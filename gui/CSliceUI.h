#ifndef CSliceUI_h
#define CSliceUI_h

#include "VemoraGUIModule.h"

#include <QDialog>

class QLabel;
class QSlider;
class vRenderable;

/**
 * The slice dialog: one slider per slice index in use (one for a single slice, three for
 * (x, y, z)), each over its part of the slice range, counted from the range's start as the
 * property set counts slices. The bound object follows live; Cancel puts the starting slice back.
 * Slider object names: "Slice0", "Slice1", "Slice2".
 */
class VEMORAGUI_EXPORT CSliceUI : public QDialog
{
  Q_OBJECT
public:
  /** `slice`: three indices (-999 unset); `range`: six bounds (-1 unset). */
  CSliceUI(vRenderable* target, const int slice[3], const int range[6], QWidget* parent = nullptr);

  void GetSlice(int slice[3]) const;
  int GetNumberOfSliders() const { return this->Count; }
  QSlider* GetSlider(int i) const { return i >= 0 && i < this->Count ? this->Sliders[i] : nullptr; }
  void reject() override;

private:
  void Moved();

  vRenderable* Target; // borrowed
  int Start[3];
  int Count = 0;
  QSlider* Sliders[3] = {};
  QLabel* Texts[3] = {};
};

#endif
