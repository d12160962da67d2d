#ifndef vVolumeViewer_h
#define vVolumeViewer_h

#include "VemoraRenderingModule.h"
#include "vViewer.h"

/**
 * The viewer of the volume view: it lays the current window out as a 2 x 2 grid ("iv0", "iv1",
 * "iv2" slice views and the "3D" view) and has no axes renderer. Layers added with AddInput(layer,
 * k) go to grid cell k (0, 1, 2 slice views, 3 the 3-D view).
 */
class VEMORARENDERING_EXPORT vVolumeViewer : public vViewer
{
public:
  vVolumeViewer();
  ~vVolumeViewer() override;

  /** Property set contrast, then SetContrast of every layer; built = 0. */
  void SetContrast(double window[2]) override;
  /** Lays out the grid in the manager's current window; nothing for a null manager. */
  void SetRenderer(vRendererManager* manager) override;
  /** Does nothing (contrast goes to every layer at once). */
  virtual void SetContrast(const std::string& name, double window[2]);
};

#endif
