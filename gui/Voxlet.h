#ifndef Voxlet_h
#define Voxlet_h

#include "VemoraGUIModule.h"

#include <QWidget>

class CT4K2EditCtrl;
class CVemoraCP;

/**
 * The console window docked in the "T4K2" pane: the console text (CT4K2EditCtrl) filling the
 * window one pixel inside its edges. It owns the console's interpreter for its whole life, so its
 * destruction writes the command history. Other parts of the program print into it with `Speak`.
 */
class VEMORAGUI_EXPORT Voxlet : public QWidget
{
  Q_OBJECT
public:
  explicit Voxlet(QWidget* parent = nullptr);
  ~Voxlet() override;

  /** The facade (borrowed), given to the interpreter. */
  void SetController(CVemoraCP* controller);
  CVemoraCP* GetController() const { return this->controller; }
  /** Creates the window's contents (hidden) and gives the interpreter the controller again. */
  void InitializeUI();
  /** Prints a text on lines of its own, then a fresh prompt. */
  void Speak(const QString& text);
  CT4K2EditCtrl* GetEditCtrl() const { return this->Edit; }

private:
  CVemoraCP* controller = nullptr; // borrowed: the facade, owned by the application
  CT4K2EditCtrl* Edit = nullptr;   // child widget
};

#endif
