#ifndef QovaColorMap_h
#define QovaColorMap_h

#include "VemoraRenderingModule.h"

#include <string>
#include <vector>

class vtkLookupTable;

/**
 * The palette of a viewer: 256 RGB colours (components nominally 0..1), each usable or taken.
 * Every new layer takes the lowest usable colour (`GetNextUsableColor`), so layers added one after
 * another get distinct colours: white, dark green (0, 0.5, 0), green, blue, ...
 *
 * The class also knows the named lookup tables of image layers ("None", "Red", "Green", "Blue",
 * "Cyan", "Magent", "Yellow", "Rainbow"): `ApplyLookupTable` sets a `vtkLookupTable`'s ranges.
 *
 * Indices outside 0..255 are refused: getters give null / leave their outputs unchanged / 0,
 * setters change nothing.
 */
class VEMORARENDERING_EXPORT QovaColorMap
{
public:
  static constexpr int MaxNumber = 256;
  static constexpr int ReservedNumber = 64;

  QovaColorMap();
  virtual ~QovaColorMap();
  QovaColorMap(const QovaColorMap&) = default;
  QovaColorMap& operator=(const QovaColorMap&) = default;

  /** Every entry white and usable, then the fixed colours of the palette. */
  void Preset();

  int GetMaxNumber() const { return MaxNumber; }
  int GetReservedNumber() const { return ReservedNumber; }

  /** Entry i's three components (null for an index outside 0..255). */
  double* GetColor(int i);
  void GetColor(int i, double& r, double& g, double& b) const;
  void SetColor(int i, double r, double g, double b);
  int GetUsable(int i) const;
  void SetUsable(int i, int flag);
  void UsableOn(int i) { this->SetUsable(i, 1); }
  void UsableOff(int i) { this->SetUsable(i, 0); }

  /** Takes the lowest usable entry and returns its colour; null when every entry is taken. */
  double* GetNextUsableColor();

  /**
   * Sets the hue, saturation, value and alpha ranges of a lookup table from a named table (exact
   * letter case) and rebuilds the table. 1 when the name is known; 0 (table untouched) otherwise.
   */
  static int ApplyLookupTable(vtkLookupTable* table, const std::string& name);
  /** The names of the lookup tables, in their listed order. */
  static std::vector<std::string> GetLookupTableNames();

private:
  static bool IsIndex(int i) { return i >= 0 && i < MaxNumber; }

  double Colors[MaxNumber][3];
  int Usable[MaxNumber];
};

#endif
