#include "vImageSliceViewer.h"

#include <vtkAlgorithm.h>
#include <vtkCamera.h>
#include <vtkInformation.h>
#include <vtkObjectFactory.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>
#include <vtkStreamingDemandDrivenPipeline.h>

#include <algorithm>

namespace
{
/** The smallest window a placement gives a window without a size, in pixels. */
constexpr int MinimumWidth = 150;
constexpr int MinimumHeight = 100;

/** Restores a flag when it leaves its scope. */
class vQuietScope
{
public:
  explicit vQuietScope(bool& flag)
    : Flag(flag)
    , Was(flag)
  {
    flag = true;
  }
  ~vQuietScope() { this->Flag = this->Was; }
  vQuietScope(const vQuietScope&) = delete;
  vQuietScope& operator=(const vQuietScope&) = delete;

private:
  bool& Flag;
  bool Was;
};
} // namespace

vtkStandardNewMacro(vImageSliceViewer);

vImageSliceViewer::vImageSliceViewer() = default;

vImageSliceViewer::~vImageSliceViewer() = default;

void vImageSliceViewer::Place()
{
  vtkAlgorithm* input = this->GetInputAlgorithm();
  if (!this->FirstRender || !input)
  {
    return;
  }
  input->UpdateInformation();
  const int* extent =
    this->GetInputInformation()->Get(vtkStreamingDemandDrivenPipeline::WHOLE_EXTENT());
  // The axes across and up the screen: YZ shows y and z, XZ x and z, XY x and y.
  const int across = this->SliceOrientation == SLICE_ORIENTATION_YZ ? 1 : 0;
  const int up = this->SliceOrientation == SLICE_ORIENTATION_XY ? 1 : 2;
  const int width = extent ? extent[2 * across + 1] - extent[2 * across] + 1 : 0;
  const int height = extent ? extent[2 * up + 1] - extent[2 * up] + 1 : 0;
  if (this->RenderWindow && this->RenderWindow->GetSize()[0] == 0)
  {
    this->RenderWindow->SetSize(std::max(width, MinimumWidth), std::max(height, MinimumHeight));
  }
  if (this->Renderer)
  {
    this->Renderer->ResetCamera();
    this->Renderer->GetActiveCamera()->SetParallelScale(
      width < MinimumWidth ? MinimumWidth / 2.0 : (width - 1) / 2.0);
  }
  this->FirstRender = 0;
}

void vImageSliceViewer::Render()
{
  this->Place();
  if (!this->Quiet && this->RenderWindow && this->GetInput())
  {
    this->RenderWindow->Render();
  }
}

void vImageSliceViewer::SetSlice(int slice)
{
  vQuietScope quiet(this->Quiet);
  this->Superclass::SetSlice(slice);
}

void vImageSliceViewer::SetSliceOrientation(int orientation)
{
  vQuietScope quiet(this->Quiet);
  this->Superclass::SetSliceOrientation(orientation);
}
