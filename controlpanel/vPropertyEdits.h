#ifndef vPropertyEdits_h
#define vPropertyEdits_h

#include "VemoraCPModule.h"

#include <string>
#include <vector>

class vRenderable;
class vtkImageData;

/**
 * One typed description of each editable property of layers and viewers: its row kind in the
 * property grid, its fixed choices, its range, and the operation an edit calls on the bound layer
 * or viewer. The grid builds its rows from it and sends every edit through `Apply`, so rows,
 * choices and operations cannot disagree.
 *
 * Every edit that calls an operation ends with exactly one render of the object's window (a
 * layer is rebuilt when the change needs it, then its window is rendered once).
 */
class VEMORACP_EXPORT vPropertyEdits
{
public:
  /** How a row shows and edits its value. */
  enum Kind
  {
    Text,     // free text (names the table does not list)
    ReadOnly, // "IsA"
    List,     // a drop-down of fixed choices
    Colour,   // red, green, blue shown 0..255, sent as / 255.0
    Slider,   // "Opacity": 0..100
    Dialog    // "Contrast", "Slice", "Transform", "Color Map"
  };

  struct Description
  {
    std::string Name;
    Kind What;
    std::vector<std::string> Choices; // List rows
    std::string Help;                 // the row's description
  };

  /** Capacity of the colour-map buffer (values read from a number file). */
  static constexpr int ColorMapCapacity = 102400;
  /** Limits of the text size that an edit applies. */
  static constexpr int MinimumTextSize = 1;
  static constexpr int MaximumTextSize = 64;

  /** The description of `name`; a `Text` description for a name the table does not list. */
  static Description Describe(const std::string& name);
  /** Every listed description, in a fixed order. */
  static const std::vector<Description>& GetDescriptions();

  /**
   * Applies an edit of a `List` or `Text` row: the operation of the row's name on `target` (a
   * layer or a viewer), then one render. False when nothing was called: an unknown value, a value
   * out of range ("Text Size" outside 1..64, a negative "Size"), or an operation that the
   * target's class does not have.
   */
  static bool Apply(vRenderable* target, const std::string& name, const std::string& value);
  /** "Color" or "Background" from 0..255 components. */
  static bool ApplyColour(vRenderable* target, const std::string& name, const int rgb[3]);
  /** "Opacity" from a slider position 0..100. */
  static bool ApplyOpacity(vRenderable* target, int position);
  /** The slice (three indices, -999 unset) of an image layer, then one render. */
  static bool ApplySlice(vRenderable* target, const int slice[3]);
  /** The contrast window (lower, upper) of an image layer, then one render. */
  static bool ApplyContrast(vRenderable* target, const double window[2]);
  /**
   * Reads a number file (`vUtil::ReadDoubleArray`) into `values`, resized to
   * `ColorMapCapacity`. The number of values read (at most the capacity; values past it are not
   * read), 0 for a file without values, -1 when it cannot be opened.
   */
  static int ReadColorMap(const std::string& path, std::vector<double>& values);
  /**
   * Colours a mesh layer ("MeshLayer") by `count` values, which it keeps reading while the map is
   * shown (borrowed), then one render. False for other objects or no values.
   */
  static bool ApplyColorMap(vRenderable* target, double* values, int count);

  /** Leading decimal number of a text; 0 when the text does not start with one. */
  static double ReadNumber(const std::string& text);

  /**
   * The window from the 1st to the 99th percentile of the image's first component (exact values,
   * found through a histogram in two passes over the voxels, without a sorted copy). False
   * (window unchanged) without voxels.
   */
  static bool AutoWindow(vtkImageData* image, double window[2]);

  /**
   * One render of the object's window: a viewer renders; a layer is rebuilt if needed and its
   * window drawn once (not again when the rebuild drew it already).
   */
  static void Show(vRenderable* target);
};

#endif
