#ifndef vTextLayer_h
#define vTextLayer_h

#include "VemoraRenderingModule.h"
#include "v2DLayer.h"

#include <string>

class vtkActor2D;

/**
 * Text overlays: the 2-D text actors of a text or info resource (for example the four corners of a
 * view), drawn on top of the layer's renderer.
 */
class VEMORARENDERING_EXPORT vTextLayer : public v2DLayer
{
public:
  vTextLayer();
  ~vTextLayer() override;

  /** The resource's text actors; the property set text size becomes the resource's. */
  void AddInput(vResource* resource) override;
  /** Every text actor's font size = n; property set text size = n. */
  void SetTextSize(int n);
  /** Every text actor whose text contains key gets text as its whole new text. */
  void Replace(const char* key, const char* text);
  /** Base text, then each text cut to 10 characters ("..." when longer), separated by ",". */
  std::string GetInfo() override;
  /** "new layer text 'a' 'b' ... <renderer>" with at most four texts, line breaks as \n. */
  std::string ToV() override;

  int GetNumberOfTexts();
  /** Text of actor i ("" when there is no such actor). */
  std::string GetText(int i);

  /** The text shown by a text actor or a text-mapper actor. */
  static std::string GetActorText(vtkActor2D* actor);
};

#endif
