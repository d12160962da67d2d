#include "vVolumeViewerCallback.h"

vVolumeViewerCallback* vVolumeViewerCallback::New()
{
  return new vVolumeViewerCallback;
}

void vVolumeViewerCallback::Execute(vtkObject*, unsigned long, void*) {}
