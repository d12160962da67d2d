#ifndef vXRayViewerWrapper_h
#define vXRayViewerWrapper_h

#include "VemoraRenderingModule.h"
#include "vViewerWrapper.h"

/**
 * A variant of the ordinary wrapper for projection (X-ray) views: it only selects (a left click
 * with action 1) and its Render() does nothing, so the owner decides when the view is drawn.
 */
// Reference counted: destroyed through Delete(), so its destructor is protected.
// NOLINTNEXTLINE(cppcoreguidelines-virtual-class-destructor)
class VEMORARENDERING_EXPORT vXRayViewerWrapper : public vViewerWrapper
{
public:
  static vXRayViewerWrapper* New();

  void Render() override;
  using vViewerWrapper::Render;
  void Execute(vtkObject* caller, unsigned long eventId, void* callData) override;

protected:
  vXRayViewerWrapper();
  ~vXRayViewerWrapper() override;
};

#endif
