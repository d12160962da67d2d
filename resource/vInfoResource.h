#ifndef vInfoResource_h
#define vInfoResource_h

#include "vTextResource.h"

#include <string>

/**
 * Four texts in the four corners of a view: the overlay that viewer wrappers and the console's
 * text layer show. A new info resource has four empty corner texts, 4 items and the
 * property-set name "inforesource".
 */
class VEMORARESOURCE_EXPORT vInfoResource : public vTextResource
{
public:
  /** Corner numbers of `SetText`. */
  enum Corner
  {
    TopLeft = 1,
    TopRight = 2,
    BottomLeft = 3,
    BottomRight = 4
  };

  vInfoResource();
  ~vInfoResource() override;

  /**
   * Replaces every backslash followed by "n" in `text` by a line break and stores the result as
   * corner `corner` (1 top-left, 2 top-right, 3 bottom-left, 4 bottom-right); any other corner
   * stores nothing. Always 8.
   */
  int SetText(const std::string& text, int corner);

  void SetInputTopLeft(const std::string& text) { this->TopLeftText = text; }
  void SetInputTopRight(const std::string& text) { this->TopRightText = text; }
  void SetInputBottomLeft(const std::string& text) { this->BottomLeftText = text; }
  void SetInputBottomRight(const std::string& text) { this->BottomRightText = text; }
  std::string GetInputTopLeft() const { return this->TopLeftText; }
  std::string GetInputTopRight() const { return this->TopRightText; }
  std::string GetInputBottomLeft() const { return this->BottomLeftText; }
  std::string GetInputBottomRight() const { return this->BottomRightText; }

  /**
   * Four new white Courier `vtkTextActor`s at the corners of the viewport (top-left,
   * top-right, bottom-left, bottom-right, in that order) with the text record's font size. The
   * caller owns the collection and releases it with `Delete()`.
   */
  vtkActor2DCollection* GetOutput() override;

private:
  std::string TopLeftText;
  std::string TopRightText;
  std::string BottomLeftText;
  std::string BottomRightText;
};

#endif
