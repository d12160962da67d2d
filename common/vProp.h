#ifndef vProp_h
#define vProp_h

#include "VemoraCommonModule.h"

#include <string>
#include <vector>

/**
 * The property set of every `vObject`: a fixed record of display and identity properties, each
 * with a typed getter and setter, plus a generic string interface (a fixed list of 31 names, the
 * display text of each, and setting a value by name from an untyped pointer) that the property
 * grid and the console use.
 *
 * Unset markers: properties hold in-band "unset" values that the display text shows as "null":
 * -1 for switches and enumerations, -999 for the slice indices, -999.0 for contrast, size and
 * scalar range, -999.9 for every matrix entry and "null" for strings. No setter validates or
 * clamps; array getters copy into the caller's array (3, 2, 6 or 16 elements as named) and array
 * setters copy from it.
 */
class VEMORACOMMON_EXPORT vProp
{
public:
  /** Size of the data-type table read by `GetPropertyDataType`. */
  static constexpr int DataTypeTableSize = 1024;

  vProp();

  // Generic interface.

  /** Number of names in the name list (31). */
  int GetNumberOfItems() const;
  /** The name at `index`; "" when the index is negative or past the end. */
  std::string GetTag(int index) const;
  /** Display text of the property at `index`; "error" when the index is negative or too large. */
  std::string GetValue(int index) const;
  /** Display text of the property named `name` (case-sensitive); "null" when no name matches. */
  std::string GetValue(const std::string& name) const;
  /**
   * Copies the value behind `value` into the property whose key is `name` (case-sensitive).
   * What `value` points at depends on the key: an int for switches and enumerations, a
   * NUL-terminated string for texts, 1, 2, 3 or 16 doubles or 3 ints for the numeric properties.
   * The renderer name's key is "Renderer Name". An unknown key or a null pointer changes
   * nothing. Always returns 0.
   */
  int SetValue(const std::string& name, const void* value);
  /** The data-type table entry at `index` (all 0); -1 for an index outside the table. */
  int GetPropertyDataType(int index) const;

  // Typed accessors.

  /** 0 surface, 1 wireframe, 2 points; -1 unset. */
  int GetRepresentation() const { return this->Representation; }
  void SetRepresentation(int value) { this->Representation = value; }
  /** 0 YZ plane, 1 XZ plane, 2 XY plane; -1 unset. */
  int GetOrientation() const { return this->Orientation; }
  void SetOrientation(int value) { this->Orientation = value; }
  /** 1 visible, 0 hidden; -1 unset. */
  int GetVisibility() const { return this->Visibility; }
  void SetVisibility(int value) { this->Visibility = value; }
  /** In-plane visibility: index 0 YZ, 1 XZ, 2 XY plane. -1 (unset) for any other index. */
  int GetIpVisibility(int index) const;
  /** An index other than 0, 1 or 2 changes nothing. */
  void SetIpVisibility(int index, int value);
  /** -1.0 unset. */
  double GetOpacity() const { return this->Opacity; }
  void SetOpacity(double value) { this->Opacity = value; }
  /** -1.0 unset. */
  double GetScaleFactor() const { return this->ScaleFactor; }
  void SetScaleFactor(double value) { this->ScaleFactor = value; }
  /** Red, green, blue in 0..1; -1.0 each unset. */
  void GetColor(double color[3]) const;
  void SetColor(const double color[3]);
  void GetBackgroundColor(double color[3]) const;
  void SetBackgroundColor(const double color[3]);
  /** Texts: "null" when unset. */
  std::string GetFilename() const { return this->Filename; }
  void SetFilename(const std::string& value) { this->Filename = value; }
  std::string GetName() const { return this->Name; }
  void SetName(const std::string& value) { this->Name = value; }
  std::string GetRendererName() const { return this->RendererName; }
  void SetRendererName(const std::string& value) { this->RendererName = value; }
  std::string GetResourceName() const { return this->ResourceName; }
  void SetResourceName(const std::string& value) { this->ResourceName = value; }
  std::string GetType() const { return this->Type; }
  void SetType(const std::string& value) { this->Type = value; }
  /** Lower and upper bound; -999.0 each unset. */
  void GetContrast(double contrast[2]) const;
  void SetContrast(const double contrast[2]);
  /** -999.0 unset. */
  double GetSize() const { return this->Size; }
  void SetSize(double value) { this->Size = value; }
  /** Slice indices x, y, z; -999 each unset. */
  void GetSlice(int slice[3]) const;
  void SetSlice(const int slice[3]);
  int GetSliceX() const { return this->Slice[0]; }
  int GetSliceY() const { return this->Slice[1]; }
  int GetSliceZ() const { return this->Slice[2]; }
  void SetSliceX(int value) { this->Slice[0] = value; }
  void SetSliceY(int value) { this->Slice[1] = value; }
  void SetSliceZ(int value) { this->Slice[2] = value; }
  /** Six slice bounds; -1 each unset. */
  void GetSliceRange(int range[6]) const;
  void SetSliceRange(const int range[6]);
  /** Minimum and maximum; -999.0 each unset. */
  void GetScalarRange(double range[2]) const;
  void SetScalarRange(const double range[2]);
  /** -1 unset. */
  int GetTextSize() const { return this->TextSize; }
  void SetTextSize(int value) { this->TextSize = value; }
  /** 4 x 4 matrix, row-major (VTK's order); -999.9 each entry unset. */
  void GetRigidTransform(double matrix[16]) const;
  void SetRigidTransform(const double matrix[16]);
  std::string GetColorMap() const { return this->ColorMap; }
  void SetColorMap(const std::string& value) { this->ColorMap = value; }
  std::string GetDescription() const { return this->Description; }
  void SetDescription(const std::string& value) { this->Description = value; }
  std::string GetVersion() const { return this->Version; }
  void SetVersion(const std::string& value) { this->Version = value; }
  /** (0, 0, 0) at construction. */
  void GetPosition(double position[3]) const;
  void SetPosition(const double position[3]);
  /** 0 off, 1 left, 2 right, 3 top, 4 bottom; -1 unset. */
  int GetColorBar() const { return this->ColorBar; }
  void SetColorBar(int value) { this->ColorBar = value; }
  /** Switches: 0 off, non-zero on; -1 unset. */
  int GetBoundingBox() const { return this->BoundingBox; }
  void SetBoundingBox(int value) { this->BoundingBox = value; }
  int GetCursor() const { return this->Cursor; }
  void SetCursor(int value) { this->Cursor = value; }
  /** The clipping-plane switch (the getter's name is spelt as callers know it). */
  int GetClipplingPlane() const { return this->ClippingPlane; }
  int GetClippingPlane() const { return this->ClippingPlane; }
  void SetClippingPlane(int value) { this->ClippingPlane = value; }
  int GetAxes() const { return this->Axes; }
  void SetAxes(int value) { this->Axes = value; }
  std::string GetLookupTable() const { return this->LookupTable; }
  void SetLookupTable(const std::string& value) { this->LookupTable = value; }

private:
  std::vector<std::string> Names;
  int DataType[DataTypeTableSize];
  int Representation = -1;
  int Orientation = -1;
  int Visibility = -1;
  int IpVisibility[3] = { -1, -1, -1 };
  double Opacity = -1.0;
  double ScaleFactor = -1.0;
  double Color[3] = { -1.0, -1.0, -1.0 };
  double BackgroundColor[3] = { -1.0, -1.0, -1.0 };
  std::string Filename = "null";
  std::string Name = "null";
  std::string RendererName = "null";
  std::string ResourceName = "null";
  std::string Type = "null";
  double Contrast[2] = { -999.0, -999.0 };
  double Size = -999.0;
  int Slice[3] = { -999, -999, -999 };
  int SliceRange[6] = { -1, -1, -1, -1, -1, -1 };
  double ScalarRange[2] = { -999.0, -999.0 };
  int TextSize = -1;
  double RigidTransform[16];
  std::string ColorMap = "null";
  std::string Description = "null";
  std::string Version = "null";
  double Position[3] = { 0.0, 0.0, 0.0 };
  int ColorBar = -1;
  int BoundingBox = -1;
  int Cursor = -1;
  int ClippingPlane = -1;
  int Axes = -1;
  std::string LookupTable = "null";
};

#endif
