#ifndef vImage3DLayer_h
#define vImage3DLayer_h

#include "VemoraRenderingModule.h"
#include "vImageLayer.h"

#include <vtkNew.h> // for members

class vtkActor;
class vtkLineSource;

/**
 * A volume shown by an image viewer slicing the colour-mapped volume, with an optional green
 * cross-hair cursor at the property set position. The slice follows a world point with
 * SetPosition (trunc((p - bounds min) / spacing + 0.5) along the plane normal), which is how the
 * volume view follows a picked point.
 */
class VEMORARENDERING_EXPORT vImage3DLayer : public vImageLayer
{
public:
  vImage3DLayer();
  ~vImage3DLayer() override;

  /** Takes a volume resource (its current image); the layer takes the resource's name. */
  void AddInput(vResource* resource) override;
  void InternalRender() override;
  /** Moves the slice to the world point; nothing before AddInput. */
  void SetPosition(double x, double y, double z) override;
  std::string GetInfo() override;
  std::string ToV() override;
  void RemoveAllItems() override;
  /** The slice and, when the cursor is on, the cursor lines. */
  void VisibilityOn() override;
  void VisibilityOff() override;

  /** Builds the two cursor lines (once) and puts them into the renderer. */
  void CreateCursor();
  void CursorOn();
  void CursorOff();
  void RemoveCursor();
  /** The two cursor lines (null before CreateCursor). */
  vtkLineSource* GetCursorLine(int i);

protected:
  /** Places the cursor lines through the property set position in the present slice plane. */
  void UpdateCursor();
  void UpdateActorMatrix() override;

  vtkNew<vtkLineSource> Lines[2];
  vtkSmartPointer<vtkActor> CursorActors[2];
};

#endif
