#include "vLabelLayer.h"

#include "QovaColorMap.h"
#include "vVolumeResourceFake.h"

#include <vtkImageData.h>
#include <vtkImageViewer2.h>
#include <vtkLookupTable.h>
#include <vtkRenderWindow.h>

#include <cmath>

vLabelLayer::vLabelLayer()
  : Palette(new QovaColorMap)
{
  this->SetType("LabelLayer");
  this->GetProperty()->SetOpacity(0.5);
  this->SetSliceOrientation(1);
}

vLabelLayer::~vLabelLayer() = default;

void vLabelLayer::SetLabel(double values[], int n)
{
  this->Labels.clear();
  if (!values)
  {
    return;
  }
  for (int i = 0; i < n && i < MaxLabels; ++i)
  {
    this->Labels.push_back(values[i]);
  }
}

void vLabelLayer::AddInput(vResource* resource)
{
  this->vImage3DLayer::AddInput(resource);
  this->CreateLabel(resource);
}

void vLabelLayer::CreateLabel(vResource* resource)
{
  vVolumeResourceFake* volume = dynamic_cast<vVolumeResourceFake*>(resource);
  vtkImageData* image = volume ? volume->GetImageData() : nullptr;
  if (!image)
  {
    return;
  }
  double range[2];
  image->GetScalarRange(range);
  double size = std::trunc(range[1] + 1);
  size = size < 1 ? 1 : (size > MaxTableSize ? MaxTableSize : size);
  this->TableSize = static_cast<int>(size);

  // Entries 0 and 1 of the palette are white and dark green: labels start at entry 2.
  *this->Palette = QovaColorMap();
  this->Palette->GetNextUsableColor();
  this->Palette->GetNextUsableColor();

  vtkLookupTable* table = this->LookupTable;
  table->SetNumberOfTableValues(this->TableSize);
  for (int i = 0; i < this->TableSize; ++i)
  {
    table->SetTableValue(i, 0, 0, 0, 0);
  }
  std::vector<double> values = this->Labels;
  if (values.empty())
  {
    for (int i = 1; i < this->TableSize; ++i)
    {
      values.push_back(i);
    }
  }
  for (double value : values)
  {
    const double index = std::trunc(value);
    // Entry 0 stays transparent; values beyond the table are ignored.
    if (!(index >= 1 && index < this->TableSize))
    {
      continue;
    }
    const double* color = this->Palette->GetNextUsableColor();
    if (!color)
    {
      break;
    }
    table->SetTableValue(static_cast<vtkIdType>(index),
      color[0] > 1 ? 1 : color[0],
      color[1] > 1 ? 1 : color[1],
      color[2] > 1 ? 1 : color[2],
      0.5);
  }
  this->ApplyContrast();
  this->Built = 0;
}

void vLabelLayer::ApplyContrast()
{
  if (this->TableSize > 0)
  {
    // Half-value margins map each integer value exactly onto its own entry.
    this->LookupTable->SetTableRange(-0.5, this->TableSize - 0.5);
  }
}
