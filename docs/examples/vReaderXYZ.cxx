// An example reader plug-in for the Soft folder: ".xyz" point lists, one point per line as three
// numbers separated by blanks ("#" starts a comment line). The points become a model of vertices.
#include "vReaderPluginContract.h"

#include <vtkCellArray.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>

#include <cstdio>
#include <cstdlib>

int GetDataType()
{
  return 4096; // models: Read gives vtkPolyData
}

const char* GetExt()
{
  return "xyz";
}

const char* GetDesc()
{
  return "XYZ point list";
}

const char* GetVer()
{
  return "1.0.0";
}

const char* GetName()
{
  return "XYZ Reader";
}

vtkDataSet* Read(const char* path)
{
  FILE* file = path ? std::fopen(path, "r") : nullptr;
  if (!file)
  {
    return nullptr;
  }
  vtkPoints* points = vtkPoints::New();
  char line[512];
  bool bad = false;
  while (!bad && std::fgets(line, sizeof(line), file))
  {
    double x = 0;
    double y = 0;
    double z = 0;
    char first = 0;
    if (std::sscanf(line, " %c", &first) != 1 || first == '#')
    {
      continue; // blank or comment line
    }
    bad = std::sscanf(line, "%lf %lf %lf", &x, &y, &z) != 3;
    if (!bad)
    {
      points->InsertNextPoint(x, y, z);
    }
  }
  std::fclose(file);
  if (bad || points->GetNumberOfPoints() == 0)
  {
    points->Delete();
    return nullptr; // the workstation reports the failed read
  }
  vtkPolyData* model = vtkPolyData::New(); // the caller owns it and releases it with Delete
  vtkCellArray* vertices = vtkCellArray::New();
  for (vtkIdType i = 0; i < points->GetNumberOfPoints(); ++i)
  {
    vertices->InsertNextCell(1, &i);
  }
  model->SetPoints(points);
  model->SetVerts(vertices);
  points->Delete();
  vertices->Delete();
  return model;
}

void ReleaseMemory() {}
