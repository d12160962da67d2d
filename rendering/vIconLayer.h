#ifndef vIconLayer_h
#define vIconLayer_h

#include "VemoraRenderingModule.h"
#include "vImageLayer.h"

#include <vtkSmartPointer.h> // for members

class vVector;
class vVolumeResourceFake;
class vtkImageViewer2;

/**
 * A grid of thumbnails of one volume: rows x columns places (at most `MaxPlaces`), each showing one
 * slice along the layer's orientation, the slices spread evenly through the volume and laid out
 * row by row in the plane of the slices.
 */
class VEMORARENDERING_EXPORT vIconLayer : public vImageLayer
{
public:
  static constexpr int MaxPlaces = 48;

  vIconLayer();
  ~vIconLayer() override;

  /** Grid size; refused (0) when rows x columns would exceed `MaxPlaces` or be below 1. */
  int SetRows(int rows);
  int SetCols(int cols);
  int GetRows() const { return this->Rows; }
  int GetCols() const { return this->Cols; }
  /** Accepted (1) only for 0 < n < `MaxPlaces`. */
  int SetNumberOfIcons(int n);
  int GetNumberOfIcons() const { return this->NumberOfIcons; }

  /** A volume resource fills the grid; a vector does nothing. */
  void AddInput(vResource* resource) override;
  void AddInput(vVolumeResourceFake* volume);
  void AddInput(vVector* vector);
  void InternalRender() override;
  void RemoveAllItems() override;

  /** Number of places that hold an image viewer. */
  int GetNumberOfPlaces() const;
  /** The viewer of place i (null when empty or out of range). */
  vtkImageViewer2* GetPlace(int i);
  /** Slice shown by place i (-1 when empty). */
  int GetPlaceSlice(int i);

protected:
  int NumberOfIcons = 24;
  int Rows = 8;
  int Cols = 3;
  int Depth = 0;
  vtkSmartPointer<vtkImageViewer2> Places[MaxPlaces];
};

#endif
