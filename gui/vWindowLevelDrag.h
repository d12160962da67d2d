#ifndef vWindowLevelDrag_h
#define vWindowLevelDrag_h

#include "VemoraGUIModule.h"

#include <vtkNew.h>         // for member
#include <vtkWeakPointer.h> // for member

#include <functional>

class CVemoraCPEXE;
class vImageLayer;
class vtkCallbackCommand;
class vtkObject;
class vtkRenderWindowInteractor;

/**
 * Window and level by dragging the right mouse button in a slice view (a renderer that shows one
 * layer of the activated viewer, an image slice layer): horizontal motion changes the window
 * width, vertical motion the level, both in proportion to the volume's scalar range over the
 * view's size. The layer's contrast follows live (one render per motion) and is written to its
 * property set, so the grid's Contrast row shows it; `Finished` runs when the button is released.
 * Elsewhere the right button keeps its usual meaning.
 */
class VEMORAGUI_EXPORT vWindowLevelDrag
{
public:
  /** The engine is borrowed and must outlive this object. */
  explicit vWindowLevelDrag(CVemoraCPEXE* engine);
  ~vWindowLevelDrag();
  vWindowLevelDrag(const vWindowLevelDrag&) = delete;
  vWindowLevelDrag& operator=(const vWindowLevelDrag&) = delete;

  /** Watches an interactor's right button and motion (null stops watching). */
  void SetInteractor(vtkRenderWindowInteractor* interactor);
  void SetFinished(std::function<void()> finished) { this->Finished = std::move(finished); }

  /** A right press at display (x, y): true when it starts a drag on a slice layer. */
  bool Begin(int x, int y);
  /** Motion to (x, y) during a drag. */
  void Move(int x, int y);
  /** The button went up. */
  void End();
  bool IsDragging() const { return this->Layer != nullptr; }

private:
  static void OnEvent(vtkObject* caller, unsigned long event, void* self, void* data);

  CVemoraCPEXE* Engine; // borrowed
  vtkWeakPointer<vtkRenderWindowInteractor> Interactor;
  vtkNew<vtkCallbackCommand> Callback;
  unsigned long Tags[3] = {};
  vImageLayer* Layer = nullptr; // borrowed, during a drag only
  int Start[2] = { 0, 0 };
  int Size[2] = { 1, 1 };
  double Width = 1;
  double Level = 0;
  double Span = 1;
  double Lowest = 0;
  std::function<void()> Finished;
};

#endif
