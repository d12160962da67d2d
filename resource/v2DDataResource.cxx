#include "v2DDataResource.h"

v2DDataResource::v2DDataResource() = default;

v2DDataResource::~v2DDataResource() = default;

void v2DDataResource::Read() {}

void v2DDataResource::Write() {}

vtkActor2DCollection* v2DDataResource::GetOutput()
{
  return nullptr;
}
