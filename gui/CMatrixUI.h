#ifndef CMatrixUI_h
#define CMatrixUI_h

#include "VemoraGUIModule.h"

#include <QDialog>

class QLineEdit;
class QSlider;
class vLayer;

/**
 * The transform dialog: a layer's 4 x 4 transform as sixteen fields ("%f", row-major), three
 * translation sliders (1..100, start 50) and three rotation sliders (1..360 degrees, start 180)
 * with their "%d" value fields, and Load, Save, Reset, OK and Cancel.
 *
 * Every slider move shows base x S, where S is built from the six slider values (translation =
 * position - 50, angles = position - 180 degrees, with 3.1415927 for pi), and gives it, read back
 * from the six-decimal fields, to the target layer (`SetTransform`, `Refresh`). The base does not
 * change while sliding; OK makes the fields the base. Cancel leaves the layer where the sliders
 * put it. Control object names are the dialog's control ids ("1097" to "1112" the fields, "1120"
 * to "1122" and "1126" to "1128" the sliders, "1123" to "1125" and "1129" to "1131" the value
 * fields, "1113" load, "1115" save, "1137" reset).
 */
class VEMORAGUI_EXPORT CMatrixUI : public QDialog
{
  Q_OBJECT
public:
  static constexpr double Pi = 3.1415927;
  static const char* const MatrixFilter;

  explicit CMatrixUI(QWidget* parent = nullptr);

  /** The base matrix (row-major); shown at once. */
  void SetBaseMatrix(const double matrix[16]);
  void GetBaseMatrix(double matrix[16]) const;
  /** The layer that follows the sliders (borrowed; null for none). */
  void SetTarget(vLayer* layer) { this->Target = layer; }

  /** The slider matrix S for translations (tx, ty, tz) and angles (a, b, c) in degrees. */
  static void SliderMatrix(int tx, int ty, int tz, int a, int b, int c, double matrix[16]);

  /** The sixteen fields read as numbers (text that is not a number reads as 0). */
  void GetFields(double matrix[16]) const;
  QSlider* GetSlider(int index) const { return this->Sliders[index]; }
  QLineEdit* GetField(int index) const { return this->Fields[index]; }
  QLineEdit* GetValueField(int index) const { return this->Values[index]; }

  /** The slider handler (all six sliders call it). */
  void SliderMoved();
  /** Back to the identity, sliders at their start; the target follows. */
  void Reset();
  /** Loads a ".mat" file chosen in the open dialog into the base matrix. */
  void Load();
  /** Saves the fields into a file chosen in the save dialog (no extension is added). */
  void Save();
  void accept() override;

private:
  void ShowMatrix(const double matrix[16]);
  void ResetSliders();
  void GiveToTarget();

  double Base[16];
  vLayer* Target = nullptr; // borrowed: the layer being edited
  QLineEdit* Fields[16] = {};
  QSlider* Sliders[6] = {};
  QLineEdit* Values[6] = {};
};

#endif
