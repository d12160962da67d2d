// Fuzz target of the PLY reader plug-in called in this process: the bytes become a .ply file that
// the plug-in's Read takes. A model it returns must hold what it claims: points, cells naming
// only those points, and attribute arrays of one tuple per point or per cell.
#include "vCellCheck.h"
#include "vFuzzInput.h"
#include "vReaderPluginContract.h"

#include <vtkCellArray.h>
#include <vtkCellData.h>
#include <vtkDataArray.h>
#include <vtkObject.h>
#include <vtkPointData.h>
#include <vtkPolyData.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace
{
/** The file the inputs are written to, one per process. */
const std::string& Path()
{
  static const std::string path = []()
  {
    vtkObject::GlobalWarningDisplayOff(); // VTK's reader complains of damaged files
    const char* base = std::getenv("TMPDIR");
    return std::string(base && *base ? base : "/tmp") + "/vFuzzPLYPlugin-" +
      std::to_string(::getpid()) + ".ply";
  }();
  return path;
}

void Check(bool condition, const char* what)
{
  if (!condition)
  {
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
  }
}

bool AttributesFit(vtkDataSetAttributes* attributes, vtkIdType count)
{
  for (int i = 0; i < attributes->GetNumberOfArrays(); ++i)
  {
    vtkDataArray* array = attributes->GetArray(i);
    if (array && array->GetNumberOfTuples() != count)
    {
      return false;
    }
  }
  return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string& path = Path();
  if (!vWriteFuzzInput(path, data, size))
  {
    return 0;
  }
  vtkDataSet* read = Read(path.c_str());
  if (!read)
  {
    return 0;
  }
  auto* model = vtkPolyData::SafeDownCast(read);
  Check(model != nullptr, "a PLY file reads as a model");
  const vtkIdType points = model->GetNumberOfPoints();
  Check(points > 0, "a model has points");
  Check(vCellCheck::CellIdsAreValid(model->GetPolys(), points), "faces name points the model has");
  Check(AttributesFit(model->GetPointData(), points), "one value per point");
  Check(AttributesFit(model->GetCellData(), model->GetNumberOfCells()), "one value per cell");
  read->Delete();
  return 0;
}
