#ifndef vTextResource_h
#define vTextResource_h

#include "v2DDataResource.h"

#include <string>
#include <vector>

class vtkDataSet;

/** Text display settings of a text resource; copied as a whole by assignment. */
struct VEMORARESOURCE_EXPORT tagTEXTPROP
{
  /** Font size in points. */
  int FontSize = 16;
};

/**
 * A list of texts shown as 2-D text actors. A new text resource has no texts, 0 items, the
 * property-set name and type "Text", property-set text size 16 and text record font size 16.
 */
class VEMORARESOURCE_EXPORT vTextResource : public v2DDataResource
{
public:
  vTextResource();
  ~vTextResource() override;

  /** One new `vtkTextActor` per item, showing text i where there is one; the caller owns the
   * collection and releases it with `Delete()`. */
  vtkActor2DCollection* GetOutput() override;
  /** Does nothing; always 0. */
  virtual int AddData(vtkDataSet* data, const std::string& name);
  /** Appends `text` and counts one more item; always -1. */
  virtual int AddText(const std::string& text);

  /** Text `index`; "" when the index names no stored text. */
  std::string GetText(int index) const;

  const tagTEXTPROP& GetTextProp() const { return this->TextProp; }
  void SetTextProp(const tagTEXTPROP& prop) { this->TextProp = prop; }

protected:
  tagTEXTPROP TextProp;
  std::vector<std::string> Texts;
};

#endif
