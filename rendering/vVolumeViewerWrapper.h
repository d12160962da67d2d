#ifndef vVolumeViewerWrapper_h
#define vVolumeViewerWrapper_h

#include "VemoraRenderingModule.h"
#include "vRenderableReference.h" // for members
#include "vViewerWrapper.h"

#include <memory>
#include <string>

class vImage3DLayer;
class vImage3DLayer2;
class vTextLayer;
class vVolumeRenderingLayer;
class vVolumeResourceFake;

/**
 * Builds and drives the 2 x 2 volume view of one volume: slice layers in the XY, XZ and YZ views
 * ("iv0", "iv1", "iv2"; friends of each other, the XY layer is the key layer), a maximum-intensity
 * volume rendering in the "3D" view, and text layers with the volume's description.
 *
 * Mouse: a left click (or drag) in a slice view moves the two other slices to the point under the
 * cursor and shows the voxel value there ("Voxel: %.2f"); a left drag in the 3-D view turns its
 * camera; a double click enlarges the view under the cursor, the next one restores the grid.
 */
// Reference counted: destroyed through Delete(), so its destructor is protected.
// NOLINTNEXTLINE(cppcoreguidelines-virtual-class-destructor)
class VEMORARENDERING_EXPORT vVolumeViewerWrapper : public vViewerWrapper
{
public:
  static vVolumeViewerWrapper* New();

  /** Builds the volume view for a volume resource; 0, or -1 for anything else. */
  int AddInput(vResource* resource) override;
  using vViewerWrapper::AddInput;

  void Execute(vtkObject* caller, unsigned long eventId, void* callData) override;

  /** Slice layer k (0 XY, 1 XZ, 2 YZ) while the viewer holds it. */
  vImage3DLayer* GetSliceLayer(int k) const;
  vVolumeRenderingLayer* GetVolumeLayer() const;
  /** The text layer of grid cell k (0 .. 3). */
  vTextLayer* GetTextLayer(int k) const;
  /** The voxel value picked last. */
  double GetPickedValue() const;
  bool IsEnlarged() const { return this->Enlarged; }

  /** Moves the slices to the point under (x, y) of a slice view; false when nothing moved. */
  bool ChangeSlice(int x, int y);
  /** Enlarges the view under (x, y), or restores the grid when a view is enlarged. */
  void Enlarge(int x, int y);

  /** Cell (0 .. 3) of the grid whose renderer holds (x, y); -1 outside every cell. */
  int FindCell(int x, int y) const;

protected:
  vVolumeViewerWrapper();
  ~vVolumeViewerWrapper() override;

  vViewer* CreateViewer() override;
  void CreateVolumeLayers(vVolumeResourceFake* volume);
  void Create3DVolumeLayer(vVolumeResourceFake* volume);
  void CreateTextLayers(vVolumeResourceFake* volume);
  /** Adds a four-corner text layer to cell k. */
  vTextLayer* AddTextLayer(int k,
    const std::string& topLeft,
    const std::string& topRight,
    const std::string& bottomLeft,
    const std::string& bottomRight);
  /** The layer while this wrapper's viewer holds it; null otherwise. */
  template <typename T>
  T* Held(const vRenderableReference<T>& layer) const;

  // Weak references: the layers belong to the viewer, which may destroy them at any time.
  vRenderableReference<vImage3DLayer> SliceLayers[3];
  vRenderableReference<vVolumeRenderingLayer> VolumeLayer;
  vRenderableReference<vTextLayer> TextLayers[4];
  std::unique_ptr<vImage3DLayer2> Probe; // reads the voxel values, never drawn
  int DragCell = -1;
  bool Enlarged = false;
};

#endif
