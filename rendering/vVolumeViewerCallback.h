#ifndef vVolumeViewerCallback_h
#define vVolumeViewerCallback_h

#include "VemoraRenderingModule.h"

#include <vtkCommand.h>

/** An observer of the volume viewer that does nothing: a place to register an observer object. */
// Reference counted: destroyed through Delete(), so its destructor is protected.
// NOLINTNEXTLINE(cppcoreguidelines-virtual-class-destructor)
class VEMORARENDERING_EXPORT vVolumeViewerCallback : public vtkCommand
{
public:
  static vVolumeViewerCallback* New();
  vtkBaseTypeMacro(vVolumeViewerCallback, vtkCommand);
  void Execute(vtkObject* caller, unsigned long eventId, void* callData) override;

protected:
  vVolumeViewerCallback() = default;
  ~vVolumeViewerCallback() override = default;
};

#endif
