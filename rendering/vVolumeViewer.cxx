#include "vVolumeViewer.h"

#include "vLayer.h"
#include "vRendererManager.h"

namespace
{
constexpr int GridCells = 4;
}

vVolumeViewer::vVolumeViewer()
{
  this->SetName("VolumeViewer");
  this->SetType("VolumeViewer");
  this->GetProperty()->SetAxes(-1);
}

vVolumeViewer::~vVolumeViewer() = default;

void vVolumeViewer::SetContrast(double window[2])
{
  this->GetProperty()->SetContrast(window);
  for (int i = 0; i < this->GetNumberOfItems(); ++i)
  {
    if (this->Layers[i])
    {
      this->Layers[i]->SetContrast(window);
    }
  }
  this->Built = 0;
}

void vVolumeViewer::SetContrast(const std::string&, double*) {}

void vVolumeViewer::SetRenderer(vRendererManager* manager)
{
  if (!manager)
  {
    return;
  }
  const int window = manager->GetCurrentRenderWindowId();
  const int n = manager->TwoTwoRenderer(window);
  if (n < 0)
  {
    return;
  }
  this->RendererManager = manager;
  this->RenderWindowId = window;
  for (int k = 0; k < GridCells; ++k)
  {
    manager->RegisterRenderer(manager->GetRendererName(n + k), this->GetName());
  }
  this->FirstRendererId = n;
}
