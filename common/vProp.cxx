#include "vProp.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <locale.h>

namespace
{
// The unset marker of every matrix entry.
constexpr double UnsetMatrixEntry = -999.9;
// The unset marker of the slice indices.
constexpr int UnsetSlice = -999;

const char* const PropertyNames[] = { "Axes",
  "Background",
  "Bounding Box",
  "Clipping",
  "Color",
  "Color Bar",
  "Color Map",
  "Contrast",
  "Cursor",
  "Description",
  "Filename",
  "IsA",
  "Lookup Table",
  "Name",
  "Orientation",
  "Opacity",
  "Transform",
  "Renderer",
  "Representation",
  "Resource",
  "Scale Factor",
  "Size",
  "Slice",
  "Text Size",
  "Version",
  "Visibility",
  "Visibi. XY",
  "Visibi. XZ",
  "Visibi. YZ",
  "Voxel Intensity (max)",
  "Voxel Intensity (min)" };

// printf-style formatting into a string of whatever length the values need, in the "C" locale
// (a '.' as decimal point even when the GUI has set the user's locale).
template <typename... Values>
std::string Format(const char* format, Values... values)
{
  static locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  locale_t previous = cLocale ? uselocale(cLocale) : nullptr;
  std::string text;
  int n = std::snprintf(nullptr, 0, format, values...);
  if (n > 0)
  {
    text.assign(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(&text[0], text.size(), format, values...);
    text.resize(static_cast<size_t>(n));
  }
  if (previous)
  {
    uselocale(previous);
  }
  return text;
}

std::string SwitchText(int value)
{
  if (value < 0)
  {
    return "null";
  }
  return value == 0 ? "Off" : "On";
}

std::string VisibilityText(int value)
{
  if (value < 0)
  {
    return "null";
  }
  return value == 1 ? "True" : "False";
}

std::string ColorText(const double color[3])
{
  if (color[0] >= 0 && color[1] >= 0 && color[2] >= 0)
  {
    return Format("[%f, %f, %f]", color[0], color[1], color[2]);
  }
  return "null";
}

template <typename T, size_t N>
void CopyOut(const T (&from)[N], T* to)
{
  if (to)
  {
    std::copy(from, from + N, to);
  }
}

template <typename T, size_t N>
void CopyIn(const T* from, T (&to)[N])
{
  if (from)
  {
    std::copy(from, from + N, to);
  }
}
} // namespace

vProp::vProp()
  : Names(std::begin(PropertyNames), std::end(PropertyNames))
{
  std::fill(std::begin(this->DataType), std::end(this->DataType), 0);
  std::fill(std::begin(this->RigidTransform), std::end(this->RigidTransform), UnsetMatrixEntry);
}

int vProp::GetNumberOfItems() const
{
  return static_cast<int>(this->Names.size());
}

std::string vProp::GetTag(int index) const
{
  if (index < 0 || index >= this->GetNumberOfItems())
  {
    return std::string();
  }
  return this->Names[static_cast<size_t>(index)];
}

std::string vProp::GetValue(int index) const
{
  if (index < 0 || index >= this->GetNumberOfItems())
  {
    return "error";
  }
  const std::string& tag = this->Names[static_cast<size_t>(index)];
  if (tag == "IsA")
  {
    return this->Type;
  }
  if (tag == "Axes")
  {
    return SwitchText(this->Axes);
  }
  if (tag == "Bounding Box")
  {
    return SwitchText(this->BoundingBox);
  }
  if (tag == "Clipping")
  {
    return SwitchText(this->ClippingPlane);
  }
  if (tag == "Cursor")
  {
    return SwitchText(this->Cursor);
  }
  if (tag == "Color Bar")
  {
    static const char* const bars[] = { "Off", "Left", "Right", "Top", "Bottom" };
    if (this->ColorBar >= 0 && this->ColorBar <= 4)
    {
      return bars[this->ColorBar];
    }
    return "null";
  }
  if (tag == "Color")
  {
    return ColorText(this->Color);
  }
  if (tag == "Background")
  {
    return ColorText(this->BackgroundColor);
  }
  if (tag == "Color Map")
  {
    return this->ColorMap;
  }
  if (tag == "Description")
  {
    return this->Description;
  }
  if (tag == "Version")
  {
    return this->Version;
  }
  if (tag == "Lookup Table")
  {
    return this->LookupTable;
  }
  if (tag == "Contrast")
  {
    if (this->Contrast[0] >= 0)
    {
      return Format("[%.1f, %.1f]", this->Contrast[0], this->Contrast[1]);
    }
    return "null";
  }
  if (tag == "Filename")
  {
    return this->Filename;
  }
  if (tag == "Name")
  {
    return this->Name;
  }
  if (tag == "Resource")
  {
    return this->ResourceName;
  }
  if (tag == "Orientation")
  {
    static const char* const planes[] = { "Plane YZ", "Plane XZ", "Plane XY" };
    if (this->Orientation >= 0 && this->Orientation <= 2)
    {
      return planes[this->Orientation];
    }
    return "null";
  }
  if (tag == "Opacity")
  {
    return this->Opacity >= 0 ? Format("%.2f", this->Opacity) : std::string("null");
  }
  if (tag == "Representation")
  {
    static const char* const kinds[] = { "Surface", "Wireframe", "Points" };
    if (this->Representation >= 0 && this->Representation <= 2)
    {
      return kinds[this->Representation];
    }
    return "null";
  }
  if (tag == "Size")
  {
    return this->Size > -999 ? Format("%f", this->Size) : std::string("null");
  }
  if (tag == "Slice")
  {
    const int* s = this->Slice;
    if (s[0] == UnsetSlice && s[1] == UnsetSlice && s[2] == UnsetSlice)
    {
      return "null";
    }
    if (s[0] > UnsetSlice && s[1] == UnsetSlice && s[2] == UnsetSlice)
    {
      return Format("%d", s[0]);
    }
    return Format("%d, %d, %d", s[0], s[1], s[2]);
  }
  if (tag == "Text Size")
  {
    return this->TextSize > 0 ? Format("%d", this->TextSize) : std::string("null");
  }
  if (tag == "Transform")
  {
    const double* m = this->RigidTransform;
    if (std::all_of(m, m + 16, [](double v) { return v == UnsetMatrixEntry; }))
    {
      return "null";
    }
    for (int i = 0; i < 16; ++i)
    {
      double identity = (i % 5 == 0) ? 1.0 : 0.0;
      if (m[i] != identity)
      {
        return "True";
      }
    }
    return "False";
  }
  if (tag == "Visibility")
  {
    return VisibilityText(this->Visibility);
  }
  if (tag == "Visibi. XY")
  {
    return VisibilityText(this->IpVisibility[2]);
  }
  if (tag == "Visibi. XZ")
  {
    return VisibilityText(this->IpVisibility[1]);
  }
  if (tag == "Visibi. YZ")
  {
    return VisibilityText(this->IpVisibility[0]);
  }
  return "null";
}

std::string vProp::GetValue(const std::string& name) const
{
  for (int i = 0; i < this->GetNumberOfItems(); ++i)
  {
    if (this->Names[static_cast<size_t>(i)] == name)
    {
      return this->GetValue(i);
    }
  }
  return "null";
}

int vProp::SetValue(const std::string& name, const void* value)
{
  if (!value)
  {
    return 0;
  }
  const int* asInt = static_cast<const int*>(value);
  const double* asDouble = static_cast<const double*>(value);
  const char* asText = static_cast<const char*>(value);

  if (name == "IsA")
  {
    this->Type = asText;
  }
  else if (name == "Axes")
  {
    this->Axes = *asInt;
  }
  else if (name == "Color Bar")
  {
    this->ColorBar = *asInt;
  }
  else if (name == "Bounding Box")
  {
    this->BoundingBox = *asInt;
  }
  else if (name == "Clipping")
  {
    this->ClippingPlane = *asInt;
  }
  else if (name == "Color")
  {
    CopyIn(asDouble, this->Color);
  }
  else if (name == "Background")
  {
    CopyIn(asDouble, this->BackgroundColor);
  }
  else if (name == "Color Map")
  {
    this->ColorMap = asText;
  }
  else if (name == "Contrast")
  {
    CopyIn(asDouble, this->Contrast);
  }
  else if (name == "Cursor")
  {
    this->Cursor = *asInt;
  }
  else if (name == "Description")
  {
    this->Description = asText;
  }
  else if (name == "Filename")
  {
    this->Filename = asText;
  }
  else if (name == "Lookup Table")
  {
    this->LookupTable = asText;
  }
  else if (name == "Name")
  {
    this->Name = asText;
  }
  else if (name == "Orientation")
  {
    this->Orientation = *asInt;
  }
  else if (name == "Opacity")
  {
    this->Opacity = *asDouble;
  }
  else if (name == "Renderer Name")
  {
    this->RendererName = asText;
  }
  else if (name == "Representation")
  {
    this->Representation = *asInt;
  }
  else if (name == "Resource")
  {
    this->ResourceName = asText;
  }
  else if (name == "Size")
  {
    this->Size = *asDouble;
  }
  else if (name == "Slice")
  {
    CopyIn(asInt, this->Slice);
  }
  else if (name == "Text Size")
  {
    this->TextSize = *asInt;
  }
  else if (name == "Transform")
  {
    CopyIn(asDouble, this->RigidTransform);
  }
  else if (name == "Version")
  {
    this->Version = asText;
  }
  else if (name == "Visibility")
  {
    this->Visibility = *asInt;
  }
  else if (name == "Visibi. XY")
  {
    this->IpVisibility[2] = *asInt;
  }
  else if (name == "Visibi. XZ")
  {
    this->IpVisibility[1] = *asInt;
  }
  else if (name == "Visibi. YZ")
  {
    this->IpVisibility[0] = *asInt;
  }
  return 0;
}

int vProp::GetPropertyDataType(int index) const
{
  if (index < 0 || index >= DataTypeTableSize)
  {
    return -1;
  }
  return this->DataType[index];
}

int vProp::GetIpVisibility(int index) const
{
  if (index < 0 || index > 2)
  {
    return -1;
  }
  return this->IpVisibility[index];
}

void vProp::SetIpVisibility(int index, int value)
{
  if (index >= 0 && index <= 2)
  {
    this->IpVisibility[index] = value;
  }
}

void vProp::GetColor(double color[3]) const
{
  CopyOut(this->Color, color);
}

void vProp::SetColor(const double color[3])
{
  CopyIn(color, this->Color);
}

void vProp::GetBackgroundColor(double color[3]) const
{
  CopyOut(this->BackgroundColor, color);
}

void vProp::SetBackgroundColor(const double color[3])
{
  CopyIn(color, this->BackgroundColor);
}

void vProp::GetContrast(double contrast[2]) const
{
  CopyOut(this->Contrast, contrast);
}

void vProp::SetContrast(const double contrast[2])
{
  CopyIn(contrast, this->Contrast);
}

void vProp::GetSlice(int slice[3]) const
{
  CopyOut(this->Slice, slice);
}

void vProp::SetSlice(const int slice[3])
{
  CopyIn(slice, this->Slice);
}

void vProp::GetSliceRange(int range[6]) const
{
  CopyOut(this->SliceRange, range);
}

void vProp::SetSliceRange(const int range[6])
{
  CopyIn(range, this->SliceRange);
}

void vProp::GetScalarRange(double range[2]) const
{
  CopyOut(this->ScalarRange, range);
}

void vProp::SetScalarRange(const double range[2])
{
  CopyIn(range, this->ScalarRange);
}

void vProp::GetRigidTransform(double matrix[16]) const
{
  CopyOut(this->RigidTransform, matrix);
}

void vProp::SetRigidTransform(const double matrix[16])
{
  CopyIn(matrix, this->RigidTransform);
}

void vProp::GetPosition(double position[3]) const
{
  CopyOut(this->Position, position);
}

void vProp::SetPosition(const double position[3])
{
  CopyIn(position, this->Position);
}
