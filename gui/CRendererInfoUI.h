#ifndef CRendererInfoUI_h
#define CRendererInfoUI_h

#include "VemoraGUIModule.h"

#include <QDialog>

class CVemoraCPEXE;
class QTreeWidget;

/**
 * "Renderers": the renderers of the current viewer's window, one row each ("id" from 1, "Name"),
 * and "Reset Camera" for the selected one. The dialog stays open after a reset.
 */
class VEMORAGUI_EXPORT CRendererInfoUI : public QDialog
{
  Q_OBJECT
public:
  /** `boss` (borrowed, may be null) is the engine. */
  explicit CRendererInfoUI(CVemoraCPEXE* boss, QWidget* parent = nullptr);

  QTreeWidget* GetList() const { return this->List; }
  /** "Please select a renderer" without a selected row; else resets that renderer's camera. */
  void ResetCamera();

private:
  CVemoraCPEXE* Boss; // borrowed: the engine
  QTreeWidget* List = nullptr;
};

#endif
