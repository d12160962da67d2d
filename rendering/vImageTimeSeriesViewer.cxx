#include "vImageTimeSeriesViewer.h"

vImageTimeSeriesViewer::vImageTimeSeriesViewer()
{
  this->SetName("ImageTimeSeriesViewer");
}

vImageTimeSeriesViewer::~vImageTimeSeriesViewer() = default;

void vImageTimeSeriesViewer::SetRenderer(vRendererManager*) {}
