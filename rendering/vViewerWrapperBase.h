#ifndef vViewerWrapperBase_h
#define vViewerWrapperBase_h

#include "VemoraRenderingModule.h"
#include "vObject.h"

#include <vtkCommand.h>
#include <vtkSmartPointer.h> // for members

#include <memory>

class vLayer;
class vRendererManager;
class vResource;
class vViewer;
class vtkInteractorObserver;
class vtkRenderWindowInteractor;
class vtkRenderer;

/**
 * What every viewer wrapper shares: the renderer manager (borrowed), the parent window handle,
 * the current action and the wrapper's viewer (owned). A wrapper is a VTK observer of the current
 * window's interactor (`Interacting`) and turns its mouse events into actions (`Execute`, in the
 * derived wrappers). It is reference counted like every VTK command: create it with `New()`,
 * release it with `Delete()` (or `UnRegister`): the interactor holds only a relay, so a released
 * wrapper really goes, and its observers with it.
 *
 * Action codes: 0 rotate (default), 1 select, 5 pan, 7 clipping plane, 8 tag.
 */
// Reference counted: destroyed through Delete(), so its destructor is protected.
// NOLINTNEXTLINE(cppcoreguidelines-virtual-class-destructor)
class VEMORARENDERING_EXPORT vViewerWrapperBase
  : public vtkCommand
  , public vObject
{
public:
  enum Action
  {
    Rotating = 0,
    Selecting = 1,
    Panning = 5,
    Clipping = 7,
    Tagging = 8
  };

  static vViewerWrapperBase* New();

  /** Tells the consumers, then releases the wrapper (VTK reference counting). */
  void Delete() override;

  void SetRenderer(vRendererManager* manager) { this->RendererManager = manager; }
  vRendererManager* GetRendererManager() const { return this->RendererManager; }
  /** The shell's window handle (borrowed, only recorded: notices go through vShellNotifier). */
  void SetParentHwnd(void* hwnd) { this->ParentHwnd = hwnd; }
  void* GetParentHwnd() const { return this->ParentHwnd; }
  int GetAction() const { return this->CurrentAction; }
  void SetAction(int action) { this->CurrentAction = action; }

  /** The wrapper's viewer (null before AddInput()); owned by the wrapper. */
  vViewer* GetViewer() const { return this->Viewer.get(); }
  int GetNumberOfLayers() const;
  /** Layer i of the viewer; null without a viewer or for an index out of range. */
  vLayer* GetLayer(int i) const;

  virtual void Render();
  /** Resets the camera of renderer rendererIndex of the current window, then renders. */
  virtual void Render(int rendererIndex);
  virtual void ForceRender();
  /** Destroys every layer of the viewer (the viewer stays). */
  virtual void RemoveViewer();
  /** Destroys layer i of the viewer. */
  virtual void RemoveViewer(int i);
  /** Detaches the viewer from its window and destroys it with its layers. */
  virtual void DeleteViewer();

  /**
   * Installs the wrapper as observer of the current window's interactor (made when the window has
   * none) with a passive interactor style, so that only the wrapper acts on the mouse. 0 on
   * success, -1 without a manager or window.
   */
  int Interacting();
  /** The same with the given interactor style (null keeps the interactor's style). */
  int Interacting(vtkInteractorObserver* style);
  vtkRenderWindowInteractor* GetInteractor() const;

  /** Creates the viewer on the current window (once); 0, or -1 without manager or window. */
  virtual int AddInput();
  /**
   * A layer for the resource (mesh layer for models, slice layer for volumes, text layer for 2-D
   * resources, shape layer for shapes) added to the viewer; its index or -1.
   */
  virtual int AddInput(vResource* resource);
  /** Adds the layer to the viewer (made when missing); its index, or -1 (the caller keeps it). */
  virtual int AddInput(vLayer* layer);

  void Execute(vtkObject* caller, unsigned long eventId, void* callData) override;

protected:
  vViewerWrapperBase();
  ~vViewerWrapperBase() override;

  /** The viewer this kind of wrapper drives. */
  virtual vViewer* CreateViewer();
  /** The viewer's inset renderer (null without a viewer). */
  vtkRenderer* GetInsetRenderer() const;
  /** True when there is a viewer that has been rendered. */
  bool IsViewerReady() const;
  void RemoveObservers();

  vRendererManager* RendererManager = nullptr; // borrowed: owned by the engine
  void* ParentHwnd = nullptr;                  // borrowed: the shell's window
  int CurrentAction = Rotating;
  std::unique_ptr<vViewer> Viewer;
  vtkSmartPointer<vtkRenderWindowInteractor> Interactor;
  // The interactor holds its observers: it holds this small relay, not the wrapper, so releasing
  // the wrapper (Delete or UnRegister) destroys it and takes the relay's observers away.
  vtkSmartPointer<vtkCommand> Relay;
  unsigned long ObserverTags[6] = {};
  int NumberOfObservers = 0;
};

#endif
