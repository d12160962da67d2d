#ifndef vImageTimeSeriesViewer_h
#define vImageTimeSeriesViewer_h

#include "VemoraRenderingModule.h"
#include "vViewer.h"

/**
 * A viewer for image time series. It does not attach to a window by itself (SetRenderer does
 * nothing); otherwise it is a plain viewer.
 */
class VEMORARENDERING_EXPORT vImageTimeSeriesViewer : public vViewer
{
public:
  vImageTimeSeriesViewer();
  ~vImageTimeSeriesViewer() override;

  void SetRenderer(vRendererManager* manager) override;
};

#endif
