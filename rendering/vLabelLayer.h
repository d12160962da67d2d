#ifndef vLabelLayer_h
#define vLabelLayer_h

#include "VemoraRenderingModule.h"
#include "vImage3DLayer.h"

#include <memory>
#include <vector>

class QovaColorMap;

/**
 * A label volume over an image slice: each label value gets a colour of the layer's own palette
 * (from palette entry 2 on) at alpha 0.5; value 0 (unlabelled) is fully transparent, so the image
 * below shows through. The table has trunc(max + 1) entries for a label volume whose largest
 * value is max, at most `MaxTableSize`.
 */
class VEMORARENDERING_EXPORT vLabelLayer : public vImage3DLayer
{
public:
  /** Largest label table; label volumes with larger values are cut to it. */
  static constexpr int MaxTableSize = 4096;
  /** Most label values that SetLabel records. */
  static constexpr int MaxLabels = 256;

  vLabelLayer();
  ~vLabelLayer() override;

  /**
   * Records the label values that get a colour (at most `MaxLabels`; the rest are ignored). Without
   * recorded values every value 1 .. size - 1 of the table gets one.
   */
  void SetLabel(double values[], int n);
  /** Builds the label lookup table for the volume of the resource. */
  void CreateLabel(vResource* resource);
  /** The image-layer AddInput, then CreateLabel. */
  void AddInput(vResource* resource) override;
  int GetNumberOfLabels() const { return static_cast<int>(this->Labels.size()); }

protected:
  /** The label table keeps its own range: one entry per integer value. */
  void ApplyContrast() override;

  std::unique_ptr<QovaColorMap> Palette;
  std::vector<double> Labels;
  int TableSize = 0;
};

#endif
