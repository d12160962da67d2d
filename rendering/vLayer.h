#ifndef vLayer_h
#define vLayer_h

#include "VemoraRenderingModule.h"

#include "vRenderable.h"
#include "vRenderableReference.h" // for member

#include <vtkSmartPointer.h> // for member
#include <vtkWeakPointer.h>  // for member

#include <string>
#include <vector>

class vRendererManager;
class vResource;
class vtkActor;
class vtkProp;
class vtkRenderWindow;
class vtkRenderer;
class vtkRendererCollection;
class vtkScalarsToColors;

/**
 * One thing drawn in a viewer (a surface model, an image slice, a text ...): it shows resources
 * with VTK actors in one renderer of one render window and keeps its visible state in its property
 * set. A viewer (`vViewer`) gives it its window, renderer, name and colour.
 *
 * Rendering protocol: a layer builds its VTK objects in `AddInput` and puts them into its renderer
 * in `InternalRender`; `Render` calls `InternalRender` only when a window is set and the layer is
 * not built; changes that need a rebuild set built to 0.
 *
 * Friends (up to 128, not owned) are layers that follow this one in `Mirror` and `Flip` (and in
 * opacity and lookup-table changes of the 3-D layers) while `WorkWithFriend(1)` is set. They are
 * held as weak references: a friend that is destroyed leaves the list by itself, so the indices
 * and the count of the friend operations only ever cover live friends.
 *
 * The renderer is held with a reference, so a layer stays safe when its renderer leaves the
 * window before the layer is destroyed; the window is watched and forgotten when it goes away.
 */
class VEMORARENDERING_EXPORT vLayer : public vRenderable
{
public:
  static constexpr int MaxNumberOfFriends = 128;

  vLayer();
  ~vLayer() override;

  /** Tells the consumers that the layer goes away, removes its items and its own renderers. */
  void Delete() override;
  void Render() override;
  void SetColor(double rgb[3]) override;
  void SetBackgroundColor(double rgb[3]) override;
  void Refresh() override;
  void ResetCamera() override;

  /** Copies opacity, scale factor, renderer, renderer name, window, manager, colour,
   * transformability. */
  virtual void DeepCopy(vLayer* source);
  /** "name: <name>\r\nResource name: <first resource>\r\nRenderer: <renderer name>". */
  virtual std::string GetInfo();
  /** The layer's name. */
  virtual std::string GetBriefInfo();
  /** Binds the layer to a renderer (borrowed from its window; the layer keeps a reference). */
  virtual void SetRenderer(vtkRenderer* renderer);
  virtual void SetRendererName(const char* name);
  virtual void SetRenderWindow(vtkRenderWindow* window);
  /** Records the resource's name; subclasses then build their VTK pipeline. */
  virtual void AddInput(vResource* resource);
  virtual void SetPosition(double x, double y, double z) = 0;
  /** The layer's lookup table; null here. */
  virtual vtkScalarsToColors* GetLut() { return nullptr; }
  /** Does nothing here. */
  virtual void GetGeometryCenter(double centre[3]) { (void)centre; }
  /** Flips (mirrors) the friends when WorkWithFriend is on. */
  virtual void Flip();
  virtual void Mirror();
  /** Index of the prop among the layer's actors; -1 here. */
  virtual int Find(vtkProp* prop)
  {
    (void)prop;
    return -1;
  }
  virtual void UpdateClippingPlane(vtkActor* plane) { (void)plane; }
  virtual void ClippingOn(vtkActor* plane) { (void)plane; }
  virtual void ClippingOff() {}
  virtual void SetBoundingBox(bool on) { (void)on; }

  vtkRenderWindow* GetRenderWindow() const;
  vtkRenderer* GetRenderer() const;
  vRendererManager* GetRendererManager() const { return this->RendererManager; }
  void SetRendererManager(vRendererManager* manager) { this->RendererManager = manager; }
  std::string GetRendererName() const;
  /** The property set's colour. */
  void GetColor(double rgb[3]) const;

  /** Index of the resource name (exact comparison); -1 when absent. */
  int SearchResource(const std::string& name) const;
  /** Resource name i; "GetResourceName: data overflow" for an index out of range. */
  std::string GetResourceName(int i) const;
  /** The first resource name; "No resource" when there is none. */
  std::string GetFirstResourceName() const;
  int GetNumberOfResources() const { return static_cast<int>(this->ResourceNames.size()); }
  int GetNumberOfItems() const { return this->NumberOfItems; }

  int GetTransformability() const { return this->Transformability; }
  void SetTransformability(int on) { this->Transformability = on; }
  void TransformabilityOn() { this->Transformability = 1; }
  void TransformabilityOff() { this->Transformability = 0; }

  /** Appends a friend (weak reference); its index, or -1 for null or past 128 live friends. */
  int AddFriend(vRenderable* layer);
  /** Live friend i; null for an index out of range. */
  vRenderable* GetFriend(int i) const;
  /** Removes live friend i, closing the gap (an index out of range changes nothing). */
  void RemoveFriend(int i);
  /** The number of friends still alive. */
  int GetNumberOfFriends() const;
  void RemoveAllFriends();
  /** Sets whether Mirror and Flip go on to the friends; returns the previous setting. */
  int WorkWithFriend(int on);

  /**
   * While on, `InternalRender` leaves the reset of the renderer's camera clipping range to the
   * caller: a viewer that renders many layers resets it once per renderer afterwards instead of
   * once per layer (each reset looks at every prop of the renderer).
   */
  void SetBatchRendering(int on) { this->BatchRendering = on; }
  int GetBatchRendering() const { return this->BatchRendering; }

  /** Takes a consumer off the layer's consumer table (a viewer that lets the layer go). */
  void RemoveConsumer(vObject* consumer);
  /** True when a viewer holds (owns) the layer: it is one of the layer's consumers. */
  bool IsHeldByViewer() const;

  /** True when both names are equal (exact comparison). */
  bool operator==(const vLayer& other) const;

protected:
  /**
   * Calls f on every live friend that is a layer, with its own WorkWithFriend off for the call.
   * It walks a copy of the list, so f may add or remove friends, or destroy one of them.
   */
  template <typename F>
  void ForEachFriend(F f)
  {
    const std::vector<vRenderableReference<vRenderable>> friends = this->Friends;
    for (const auto& reference : friends)
    {
      if (vLayer* other = dynamic_cast<vLayer*>(reference.Get()))
      {
        const int previous = other->WorkWithFriend(0);
        f(other);
        // f may have destroyed the friend: it is touched again only while it lives.
        if (reference.IsAlive())
        {
          other->WorkWithFriend(previous);
        }
      }
    }
  }

  /** Drops the references of friends that have gone. */
  void PruneFriends() const;

  // Weak references: friends belong to their viewer. Pruned of dead entries when read.
  mutable std::vector<vRenderableReference<vRenderable>> Friends;
  vRendererManager* RendererManager = nullptr; // borrowed: owned by the engine
  std::vector<std::string> ResourceNames;
  vtkSmartPointer<vtkRenderer> Renderer;
  vtkSmartPointer<vtkRendererCollection> OwnRenderers;
  vtkWeakPointer<vtkRenderWindow> RenderWindow;
  int Transformability = 1;
  int WorkWithFriends = 0;
  int NumberOfItems = 0;
  int Reserved = 0;
  int BatchRendering = 0;
};

#endif
