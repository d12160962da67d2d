#ifndef vViewer_h
#define vViewer_h

#include "VemoraRenderingModule.h"

#include "QovaColorMap.h" // for member
#include "vRenderable.h"

#include <vtkSmartPointer.h> // for members

#include <memory> // for members
#include <string>
#include <vector>

class vLayer;
class vRendererManager;
class vtkActor;
class vtkAxesActor;
class vtkProp;
class vtkScalarBarActor;
class vtkTransform;

/**
 * The ordered list of layers shown in one render window. Attached to the current window with
 * `SetRenderer(manager)` (which adds the inset renderer "IV" and the axes renderer "Axes"), it
 * gives each new layer its window, renderer, a unique name and the next palette colour, forwards
 * whole-scene operations to the layers, and produces the layer table.
 *
 * The viewer owns its layers (up to 128): `AddInput` takes a layer over, and `RemoveItem`,
 * `RemoveAllItems`, `Delete` and the destructor destroy them. A layer that `AddInput` refuses
 * (-1: null, already in this or another viewer, 128 layers reached, or a renderer the window
 * does not have)
 * stays with the caller. A layer destroyed by someone else tells the viewer (it is one of the
 * layer's consumers), which forgets it without destroying it again. Pointers that the viewer
 * hands out are borrowed: keep a `vRenderableReference` to hold on to a layer across calls.
 */
class VEMORARENDERING_EXPORT vViewer : public vRenderable
{
public:
  static constexpr int MaxNumberOfLayers = 128;

  vViewer();
  ~vViewer() override;

  /** Detaches from the window (removing the viewer's renderers) and destroys the layers. */
  void Delete() override;
  /** Notification that a layer goes away: the viewer forgets it (without destroying it). */
  void MakeClone(vObject* source) override;
  /** "" */
  std::string ToV() override;
  void Render() override;
  void InternalRender() override;
  void SetTransform(double matrix[16]) override;
  void SetOpacity(double opacity) override;
  void SetScaleFactor(double factor) override;
  void SetColor(double rgb[3]) override;
  void SetBackgroundColor(double rgb[3]) override;
  void Refresh() override;
  /** Resets the cameras of the viewer's renderers except the last (the axes renderer). */
  void ResetCamera() override;
  /** Destroys every layer (the viewer owns them), without rendering. */
  void RemoveAllItems() override;

  /** Attaches the viewer to the manager's current window. */
  virtual void SetRenderer(vRendererManager* manager);
  /** Destroys layer index (an index out of range changes nothing). */
  virtual void RemoveItem(int index);
  /** Destroys every layer whose name equals name (blanks trimmed, case ignored), then renders. */
  virtual void RemoveItem(const std::string& name);
  virtual void ShowLayer(int index);
  virtual void HideLayer(int index);
  /** Opacity / scale factor of every layer whose name equals name ignoring case. */
  virtual void SetOpacity(const std::string& name, double opacity);
  virtual void SetScaleFactor(const std::string& name, double factor);
  virtual void ResetCamera(const std::string& rendererName);
  virtual void ResetCamera(int k);
  virtual void ShowAxes(bool on);
  /** Shows the clipping plane (built at the centre of the last mesh layer) and clips the layers. */
  virtual void ClippingOn();
  virtual void ClippingOff();
  /** Moves the clipping plane by t and lets the layers clip again. */
  virtual void MoveClippingPlane(vtkTransform* t);
  /** Index of the first layer whose name, blanks trimmed, equals name; -1 when none. */
  virtual int Find(const std::string& name);
  virtual int Find(vLayer* layer);
  virtual int Find(vtkProp* prop);
  /** The key layer's index when it holds the resource, else the first layer holding it; -1. */
  virtual int SearchResource(const std::string& resourceName);

  /** Adds the layer to the current renderer; its index, or -1 when refused. */
  int AddInput(vLayer* layer);
  /** Adds the layer to renderer GetFirstRendererId() + k. */
  int AddInput(vLayer* layer, int k);
  /** Adds the layer to the named renderer of the current window. */
  int AddInput(vLayer* layer, const std::string& rendererName);
  /** Layer i; null for an index out of range. */
  vLayer* GetInput(int i) const;
  /** The layer at the cursor; null when there is none. */
  vLayer* GetInput() const;
  /** The last layer whose (untrimmed) name equals name ignoring case; null when none. */
  vLayer* GetInput(const std::string& name) const;
  void InitTraversal() { this->CurrentItem = 0; }
  vLayer* GetNextInput();
  vLayer* GetNextInput(const std::string& name);
  int GetNumberOfItems() const { return static_cast<int>(this->Layers.size()); }
  int GetCurrentItem() const { return this->CurrentItem; }
  void Select(int index) { this->CurrentItem = index; }
  vLayer* GetKeyLayer() const;
  int GetKeyLayerId() const { return this->KeyLayerId; }
  void SetKeyLayer(int index) { this->KeyLayerId = index; }
  vRendererManager* GetRenderer() const { return this->RendererManager; }
  int GetFirstRendererId() const { return this->FirstRendererId; }
  int GetCurrentRendererId() const { return this->CurrentRendererId; }
  void SetCurrentRendererId(int id) { this->CurrentRendererId = id; }
  vtkActor* GetClippingPlane() const;
  void ResetClippingPlane();
  void AxiesOn() { this->ShowAxes(true); }
  void AxiesOff() { this->ShowAxes(false); }
  vtkAxesActor* GetAxesActor() const;
  vtkScalarBarActor* GetColorBar() const;
  /** Mirrors (flips) every layer, each without its friends. */
  void Mirror();
  void Flip();
  void ForceRender();
  /** The layer table; "No Layers" when empty. */
  std::string GetLayerInfo();
  /** GetInfo() of layer i; "" for an index out of range. */
  std::string GetLayerInfo(int i);
  void CreateColorBar();
  void RemoveColorBar();
  /** 0 off, 1 left, 2 right, 3 top, 4 bottom. */
  void SetColorBar(int code);
  int EnlargeOn(const std::string& rendererName);
  int EnlargeOff();
  QovaColorMap* GetColorMap() { return &this->ColorMap; }
  /** The window id the viewer attached to; -1 when detached. */
  int GetRenderWindowId() const { return this->RenderWindowId; }

protected:
  /**
   * Takes layer index out of the list and hands it back (the key layer follows); with
   * stopConsuming the viewer also leaves the layer's consumer table.
   */
  std::unique_ptr<vLayer> Forget(int index, bool stopConsuming = true);
  /** Takes every layer out of the list and destroys them. */
  void DestroyAllLayers();
  /** name, or name followed by 0, 1, ... until no layer has that name. */
  std::string ValidateLayerName(const std::string& name) const;
  /** Adds the layer to renderer index; -1 when refused. */
  int AddLayerToRenderer(vLayer* layer, int rendererIndex);
  bool IsIndex(int index) const { return index >= 0 && index < this->GetNumberOfItems(); }
  void SetupAxes();
  void RefreshAll();

  std::vector<std::unique_ptr<vLayer>> Layers; // owned, in display order (at most 128)
  vRendererManager* RendererManager = nullptr; // borrowed: owned by the engine
  QovaColorMap ColorMap;
  int CurrentItem = 0;
  int FirstRendererId = 0;
  int KeyLayerId = -1;
  int CurrentRendererId = 0;
  vtkSmartPointer<vtkAxesActor> AxesActor;
  vtkSmartPointer<vtkActor> ClippingPlaneActor;
  vtkSmartPointer<vtkScalarBarActor> ColorBar;
  int RenderWindowId = -1;
};

#endif
