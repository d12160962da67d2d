#include "vPropertyEdits.h"

#include "v3DLayer.h"
#include "vImage3DLayer.h"
#include "vImageLayer.h"
#include "vLandmarkLayer.h"
#include "vLayer.h"
#include "vMesh3DLayer.h"
#include "vTextLayer.h"
#include "vViewer.h"

#include "vUtil.h"

#include <vtkCallbackCommand.h>
#include <vtkDataArray.h>
#include <vtkImageData.h>
#include <vtkNew.h>
#include <vtkPointData.h>
#include <vtkRenderWindow.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace
{
constexpr int HistogramBins = 4096;

int IndexOf(const std::vector<std::string>& choices, const std::string& value)
{
  const auto at = std::find(choices.begin(), choices.end(), value);
  return at == choices.end() ? -1 : static_cast<int>(at - choices.begin());
}
} // namespace

const std::vector<vPropertyEdits::Description>& vPropertyEdits::GetDescriptions()
{
  static const std::vector<std::string> onOff = { "On", "Off" };
  static const std::vector<std::string> trueFalse = { "True", "False" };
  static const std::vector<Description> table = {
    { "Color Bar", List, { "Off", "Left", "Right", "Top", "Bottom" }, "Colour bar of the viewer" },
    { "Visibility", List, trueFalse, "Shows or hides the layer" },
    { "Visibi. XY", List, trueFalse, "Shows or hides the XY plane" },
    { "Visibi. XZ", List, trueFalse, "Shows or hides the XZ plane" },
    { "Visibi. YZ", List, trueFalse, "Shows or hides the YZ plane" },
    { "Orientation", List, { "XY Plane", "XZ Plane", "YZ Plane" }, "Slice orientation" },
    { "Representation", List, { "Surface", "Wireframe", "Points" }, "How the surface is drawn" },
    { "Cursor", List, onOff, "Cursor lines through the picked point" },
    { "Axes", List, onOff, "Axes of the viewer" },
    { "Clipping", List, onOff, "Clipping plane of the viewer" },
    { "Bounding Box", List, onOff, "Outline of the layer's bounds" },
    { "Lookup Table",
      List,
      { "None", "Red", "Green", "Blue", "Cyan", "Magent", "Yellow", "Rainbow" },
      "Colour table of the image" },
    { "Background", Colour, {}, "Specifies background color" },
    { "Color", Colour, {}, "Specifies layer color" },
    { "Opacity", Slider, {}, "Opacity, 0 (clear) to 100 (opaque)" },
    { "Contrast", Dialog, {}, "Window of voxel values mapped to the colour table" },
    { "Slice", Dialog, {}, "Slice shown" },
    { "Transform", Dialog, {}, "Rigid transform of the layer" },
    { "Color Map", Dialog, {}, "Per-vertex values from a number file" },
    { "IsA", ReadOnly, {}, "Type of the object" },
  };
  return table;
}

vPropertyEdits::Description vPropertyEdits::Describe(const std::string& name)
{
  for (const Description& description : GetDescriptions())
  {
    if (description.Name == name)
    {
      return description;
    }
  }
  return { name, Text, {}, std::string() };
}

double vPropertyEdits::ReadNumber(const std::string& text)
{
  const char* s = text.c_str();
  while (*s == ' ' || *s == '\t')
  {
    ++s;
  }
  const char* digits = (*s == '+' || *s == '-') ? s + 1 : s;
  if (!(std::isdigit(static_cast<unsigned char>(*digits)) || *digits == '.'))
  {
    return 0.0; // "nan", "inf", words: not numbers
  }
  const double value = std::strtod(s, nullptr);
  return std::isfinite(value) ? value : 0.0;
}

void vPropertyEdits::Show(vRenderable* target)
{
  if (auto* viewer = dynamic_cast<vViewer*>(target))
  {
    viewer->Render();
    return;
  }
  auto* layer = dynamic_cast<vLayer*>(target);
  vtkRenderWindow* window = layer ? layer->GetRenderWindow() : nullptr;
  if (!window)
  {
    return;
  }
  // Rebuilding some layers draws the window already (an image viewer renders itself); the
  // window is drawn once more only when the rebuild did not.
  int renders = 0;
  vtkNew<vtkCallbackCommand> counter;
  counter->SetClientData(&renders);
  counter->SetCallback(
    [](vtkObject*, unsigned long, void* count, void*) { ++*static_cast<int*>(count); });
  const unsigned long tag = window->AddObserver(vtkCommand::StartEvent, counter);
  layer->Render();
  window->RemoveObserver(tag);
  if (renders == 0)
  {
    layer->Refresh();
  }
}

bool vPropertyEdits::Apply(vRenderable* target, const std::string& name, const std::string& value)
{
  if (!target)
  {
    return false;
  }
  auto* viewer = dynamic_cast<vViewer*>(target);
  auto* layer = dynamic_cast<vLayer*>(target);
  const Description description = Describe(name);
  const int choice = IndexOf(description.Choices, value);
  if (name == "Visibility" && choice >= 0)
  {
    choice == 0 ? target->VisibilityOn() : target->VisibilityOff();
  }
  else if (name == "Axes" && viewer && choice >= 0)
  {
    choice == 0 ? viewer->AxiesOn() : viewer->AxiesOff();
  }
  else if (name == "Color Bar" && viewer && choice >= 0)
  {
    viewer->SetColorBar(choice);
  }
  else if (name == "Bounding Box" && dynamic_cast<v3DLayer*>(layer) && choice >= 0)
  {
    auto* layer3D = static_cast<v3DLayer*>(layer);
    choice == 0 ? layer3D->BoundingBoxOn() : layer3D->BoundingBoxOff();
  }
  else if (name == "Clipping" && viewer && choice >= 0)
  {
    choice == 0 ? viewer->ClippingOn() : viewer->ClippingOff();
  }
  else if (name == "Representation" && dynamic_cast<vMesh3DLayer*>(layer) && choice >= 0)
  {
    static_cast<vMesh3DLayer*>(layer)->SetRepresentation(choice);
  }
  else if (name == "Size" && dynamic_cast<vLandmarkLayer*>(layer))
  {
    const double size = ReadNumber(value);
    if (size < 0)
    {
      return false;
    }
    static_cast<vLandmarkLayer*>(layer)->SetLandmarkSize(size);
  }
  else if (name == "Lookup Table" && dynamic_cast<vImageLayer*>(layer) && choice >= 0)
  {
    static_cast<vImageLayer*>(layer)->SetLookupTable(value);
  }
  else if (name == "Cursor" && dynamic_cast<vImage3DLayer*>(layer) && choice >= 0)
  {
    auto* image = static_cast<vImage3DLayer*>(layer);
    choice == 0 ? image->CursorOn() : image->CursorOff();
  }
  else if (name == "Text Size" && dynamic_cast<vTextLayer*>(layer))
  {
    const double size = ReadNumber(value);
    if (size < MinimumTextSize || size > MaximumTextSize)
    {
      return false;
    }
    static_cast<vTextLayer*>(layer)->SetTextSize(static_cast<int>(size));
  }
  else
  {
    // "Slice" and "Orientation" change through their dialog or not at all; per-plane visibility
    // has no operation on the slice layers; other names are information only.
    return false;
  }
  Show(target);
  return true;
}

bool vPropertyEdits::ApplyColour(vRenderable* target, const std::string& name, const int rgb[3])
{
  if (!target || (name != "Color" && name != "Background"))
  {
    return false;
  }
  double colour[3];
  for (int i = 0; i < 3; ++i)
  {
    colour[i] = std::max(0, std::min(255, rgb[i])) / 255.0;
  }
  name == "Color" ? target->SetColor(colour) : target->SetBackgroundColor(colour);
  Show(target);
  return true;
}

bool vPropertyEdits::ApplyOpacity(vRenderable* target, int position)
{
  if (!target)
  {
    return false;
  }
  target->SetOpacity(std::max(0, std::min(100, position)) / 100.0);
  Show(target);
  return true;
}

bool vPropertyEdits::ApplySlice(vRenderable* target, const int slice[3])
{
  auto* image = dynamic_cast<vImageLayer*>(target);
  if (!image)
  {
    return false;
  }
  int copy[3] = { slice[0], slice[1], slice[2] };
  image->SetSlice(copy);
  Show(target);
  return true;
}

bool vPropertyEdits::ApplyContrast(vRenderable* target, const double window[2])
{
  if (!target)
  {
    return false;
  }
  double copy[2] = { window[0], window[1] };
  target->SetContrast(copy);
  Show(target);
  return true;
}

int vPropertyEdits::ReadColorMap(const std::string& path, std::vector<double>& values)
{
  values.assign(ColorMapCapacity, 0.0);
  return vUtil::ReadDoubleArray(path, values.data(), ColorMapCapacity);
}

bool vPropertyEdits::ApplyColorMap(vRenderable* target, double* values, int count)
{
  auto* mesh = dynamic_cast<vMesh3DLayer*>(target);
  if (count <= 0 || !mesh || !mesh->isA("MeshLayer"))
  {
    return false;
  }
  mesh->SetColorMap(values, std::min(count, ColorMapCapacity));
  Show(target);
  return true;
}

bool vPropertyEdits::AutoWindow(vtkImageData* image, double window[2])
{
  vtkDataArray* scalars = image ? image->GetPointData()->GetScalars() : nullptr;
  const vtkIdType n = scalars ? scalars->GetNumberOfTuples() : 0;
  if (n <= 0)
  {
    return false;
  }
  double range[2];
  scalars->GetRange(range, 0);
  if (!(range[1] > range[0]))
  {
    window[0] = range[0];
    window[1] = range[1];
    return true;
  }
  // A histogram finds the bins of the two ranks in one pass; a second pass takes their values.
  const int bins = HistogramBins;
  const double width = (range[1] - range[0]) / bins;
  std::vector<vtkIdType> histogram(static_cast<size_t>(bins), 0);
  for (vtkIdType i = 0; i < n; ++i)
  {
    const double v = scalars->GetComponent(i, 0);
    int bin = static_cast<int>((v - range[0]) / width);
    bin = std::max(0, std::min(bins - 1, bin));
    ++histogram[static_cast<size_t>(bin)];
  }
  const vtkIdType low = n / 100;          // rank of the 1st percentile's voxel
  const vtkIdType high = n - 1 - n / 100; // rank of the 99th percentile's voxel
  int bin[2] = { -1, -1 };
  vtkIdType before[2] = { 0, 0 }; // voxels in the bins below
  vtkIdType seen = 0;
  for (int b = 0; b < bins && bin[1] < 0; ++b)
  {
    const vtkIdType next = seen + histogram[static_cast<size_t>(b)];
    for (int k = 0; k < 2; ++k)
    {
      const vtkIdType rank = k == 0 ? low : high;
      if (bin[k] < 0 && next > rank)
      {
        bin[k] = b;
        before[k] = seen;
      }
    }
    seen = next;
  }
  // The exact values of those ranks, from the voxels of their two bins.
  std::vector<double> inBin[2];
  for (vtkIdType i = 0; i < n; ++i)
  {
    const double v = scalars->GetComponent(i, 0);
    const int b = std::max(0, std::min(bins - 1, static_cast<int>((v - range[0]) / width)));
    for (int k = 0; k < 2; ++k)
    {
      if (b == bin[k])
      {
        inBin[k].push_back(v);
      }
    }
  }
  for (int k = 0; k < 2; ++k)
  {
    std::vector<double>& values = inBin[k];
    const auto rank = static_cast<size_t>((k == 0 ? low : high) - before[k]);
    if (values.empty() || rank >= values.size())
    {
      return false;
    }
    std::nth_element(
      values.begin(), values.begin() + static_cast<std::ptrdiff_t>(rank), values.end());
    window[k] = values[rank];
  }
  if (window[1] <= window[0])
  {
    window[1] = window[0] + 1;
  }
  return true;
}
