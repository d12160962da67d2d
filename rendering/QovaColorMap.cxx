#include "QovaColorMap.h"

#include <vtkLookupTable.h>

namespace
{
struct NamedTable
{
  const char* Name;
  double Hue[2];
  double Saturation[2];
  double Value[2];
  double Alpha[2];
};

const NamedTable Tables[] = {
  { "None", { 0, 0 }, { 0, 0 }, { 0, 1 }, { 1, 1 } },
  { "Red", { 0, 0 }, { 1, 1 }, { 0, 1 }, { 1, 1 } },
  { "Green", { 0.333, 0.333 }, { 1, 1 }, { 0, 1 }, { 1, 1 } },
  { "Blue", { 0.667, 0.667 }, { 1, 1 }, { 0, 1 }, { 1, 1 } },
  { "Cyan", { 0.5, 0.5 }, { 1, 1 }, { 0, 1 }, { 1, 1 } },
  { "Magent", { 0.833, 0.833 }, { 1, 1 }, { 0, 1 }, { 1, 1 } },
  { "Yellow", { 0.167, 0.167 }, { 1, 1 }, { 0, 1 }, { 1, 1 } },
  { "Rainbow", { 0, 0.667 }, { 1, 1 }, { 1, 1 }, { 1, 1 } },
};
} // namespace

QovaColorMap::QovaColorMap()
{
  this->Preset();
}

QovaColorMap::~QovaColorMap() = default;

void QovaColorMap::Preset()
{
  for (int i = 0; i < MaxNumber; ++i)
  {
    this->Colors[i][0] = this->Colors[i][1] = this->Colors[i][2] = 1.0;
    this->Usable[i] = 1;
  }
  struct Entry
  {
    int Index;
    double R, G, B;
  };
  static const Entry entries[] = {
    { 0, 1.0, 1.0, 1.0 },
    { 1, 0.0, 0.5, 0.0 },
    { 2, 0.0, 1.0, 0.0 },
    { 3, 0.0, 0.0, 1.0 },
    { 4, 1.0, 1.0, 0.0 },
    { 5, 0.0, 1.0, 1.0 },
    { 6, 1.0, 0.0, 1.0 },
    { 7, 0.5, 0.0, 0.0 },
    { 8, 0.0, 1.0, 0.0 },
    { 9, 0.0, 0.0, 0.5 },
    { 10, 0.8, 0.0, 0.8 },
    { 11, 0.8, 0.0, 0.0 },
    { 12, 0.0, 0.8, 0.0 },
    { 13, 0.0, 0.0, 0.8 },
    { 14, 0.8, 0.8, 0.0 },
    { 15, 0.0, 0.8, 0.8 },
    { 16, 5.0, 0.0, 5.0 }, // above 1 on purpose: drawn as full magenta
    { 17, 0.4, 0.0, 0.0 },
    { 18, 0.0, 0.4, 0.0 },
    { 19, 0.0, 0.0, 0.4 },
    { 192, 0.999, 0.0, 0.0 },
    { 193, 0.0, 0.999, 0.0 },
    { 194, 0.0, 0.0, 0.999 },
  };
  for (const Entry& e : entries)
  {
    this->SetColor(e.Index, e.R, e.G, e.B);
  }
}

double* QovaColorMap::GetColor(int i)
{
  return IsIndex(i) ? this->Colors[i] : nullptr;
}

void QovaColorMap::GetColor(int i, double& r, double& g, double& b) const
{
  if (IsIndex(i))
  {
    r = this->Colors[i][0];
    g = this->Colors[i][1];
    b = this->Colors[i][2];
  }
}

void QovaColorMap::SetColor(int i, double r, double g, double b)
{
  if (IsIndex(i))
  {
    this->Colors[i][0] = r;
    this->Colors[i][1] = g;
    this->Colors[i][2] = b;
  }
}

int QovaColorMap::GetUsable(int i) const
{
  return IsIndex(i) ? this->Usable[i] : 0;
}

void QovaColorMap::SetUsable(int i, int flag)
{
  if (IsIndex(i))
  {
    this->Usable[i] = flag;
  }
}

double* QovaColorMap::GetNextUsableColor()
{
  for (int i = 0; i < MaxNumber; ++i)
  {
    if (this->Usable[i])
    {
      this->Usable[i] = 0;
      return this->Colors[i];
    }
  }
  return nullptr;
}

int QovaColorMap::ApplyLookupTable(vtkLookupTable* table, const std::string& name)
{
  if (table == nullptr)
  {
    return 0;
  }
  for (const NamedTable& t : Tables)
  {
    if (name == t.Name)
    {
      table->SetHueRange(t.Hue[0], t.Hue[1]);
      table->SetSaturationRange(t.Saturation[0], t.Saturation[1]);
      table->SetValueRange(t.Value[0], t.Value[1]);
      table->SetAlphaRange(t.Alpha[0], t.Alpha[1]);
      table->ForceBuild();
      return 1;
    }
  }
  return 0;
}

std::vector<std::string> QovaColorMap::GetLookupTableNames()
{
  std::vector<std::string> names;
  for (const NamedTable& t : Tables)
  {
    names.emplace_back(t.Name);
  }
  return names;
}
