#include "vMesh3DLayer.h"

#include "vDataResourceFake.h"

#include <vtkActor.h>
#include <vtkActorCollection.h>
#include <vtkAlgorithmOutput.h>
#include <vtkAppendFilter.h>
#include <vtkClipPolyData.h>
#include <vtkDataSet.h>
#include <vtkDataSetMapper.h>
#include <vtkDataSetSurfaceFilter.h>
#include <vtkDoubleArray.h>
#include <vtkGenericCell.h>
#include <vtkLinearTransform.h>
#include <vtkMatrix4x4.h>
#include <vtkNew.h>
#include <vtkPlane.h>
#include <vtkPointData.h>
#include <vtkPolyData.h>
#include <vtkProperty.h>
#include <vtkRenderer.h>
#include <vtkSphereSource.h>
#include <vtkTransform.h>

namespace
{
/** Polygons and triangle strips together (a surface stored as strips is still a surface). */
vtkIdType CountSurfaceCells(vtkDataSet* data)
{
  if (auto* poly = vtkPolyData::SafeDownCast(data))
  {
    return poly->GetNumberOfPolys() + poly->GetNumberOfStrips();
  }
  // Other data sets (unstructured grids): count the cells of two or three dimensions.
  vtkIdType count = 0;
  const vtkIdType cells = data->GetNumberOfCells();
  vtkNew<vtkGenericCell> cell;
  for (vtkIdType i = 0; i < cells; ++i)
  {
    data->GetCell(i, cell);
    if (cell->GetCellDimension() >= 2)
    {
      ++count;
    }
  }
  return count;
}

void ApplyRepresentation(vtkActor* actor, int code)
{
  switch (code)
  {
    case 0:
      actor->GetProperty()->SetRepresentationToSurface();
      break;
    case 1:
      actor->GetProperty()->SetRepresentationToWireframe();
      break;
    case 2:
      actor->GetProperty()->SetRepresentationToPoints();
      break;
    default:
      break;
  }
}

void SetBackfaceColour(vtkProperty* property, const double rgb[3])
{
  double back[3];
  for (int i = 0; i < 3; ++i)
  {
    back[i] = rgb[i] - 0.01 < 0.0 ? rgb[i] : rgb[i] - 0.01;
  }
  property->SetColor(back);
}
} // namespace

vMesh3DLayer::vMesh3DLayer()
{
  vProp* prop = this->GetProperty();
  const double white[3] = { 1.0, 1.0, 1.0 };
  prop->SetColor(white);
  this->SetType("MeshLayer");
  prop->SetRepresentation(0);
  prop->SetColorMap("False");
}

vMesh3DLayer::~vMesh3DLayer() = default;

std::string vMesh3DLayer::ToV()
{
  return "new layer mesh " + this->GetFirstResourceName() + " " + this->GetRendererName();
}

void vMesh3DLayer::InternalRender()
{
  if (this->Renderer != nullptr)
  {
    if (!this->BatchRendering)
    {
      this->Renderer->ResetCameraClippingRange();
    }
    this->Built = 1;
  }
}

void vMesh3DLayer::SetColor(double rgb[3])
{
  this->Actors->InitTraversal();
  while (vtkActor* actor = this->Actors->GetNextActor())
  {
    actor->GetProperty()->SetColor(rgb);
  }
  for (auto& back : this->BackfaceProperties)
  {
    SetBackfaceColour(back, rgb);
  }
  this->vLayer::SetColor(rgb);
}

void vMesh3DLayer::AddInput(vResource* resource)
{
  auto* data = dynamic_cast<vDataResourceFake*>(resource);
  if (data == nullptr)
  {
    return;
  }
  this->v3DLayer::AddInput(resource);
  vProp* prop = this->GetProperty();
  double colour[3];
  prop->GetColor(colour);
  const int items = data->GetNumberOfItems();
  int added = 0;
  for (int i = 0; i < items; ++i)
  {
    vtkDataSet* set = data->GetData(i);
    if (set == nullptr)
    {
      continue;
    }
    vtkNew<vtkActor> actor;
    vtkSmartPointer<vtkMapper> mapper;
    const vtkIdType points = set->GetNumberOfPoints();
    vtkIdType surfaces = CountSurfaceCells(set);
    // Spheres stand for the points of small point sets only: a surface (a cube, a small VRML
    // object) is drawn as the surface it is, whatever its number of points.
    if (points > MaxPointsAsSpheres || surfaces > 0)
    {
      auto general = vtkSmartPointer<vtkDataSetMapper>::New();
      general->SetInputData(set);
      mapper = general;
    }
    else
    {
      // A small point set (landmarks, fiducials) is drawn as one marker sphere per point. The
      // markers are surfaces, whatever the point set's own cells are.
      auto general = vtkSmartPointer<vtkDataSetMapper>::New();
      vtkNew<vtkAppendFilter> spheres;
      for (vtkIdType p = 0; p < points; ++p)
      {
        vtkNew<vtkSphereSource> sphere;
        sphere->SetRadius(SphereRadius);
        sphere->SetCenter(set->GetPoint(p));
        spheres->AddInputConnection(sphere->GetOutputPort());
      }
      if (points > 0)
      {
        general->SetInputConnection(spheres->GetOutputPort());
        surfaces = points;
      }
      else
      {
        general->SetInputData(set);
      }
      mapper = general;
    }
    mapper->ScalarVisibilityOff();
    actor->SetMapper(mapper);
    actor->PickableOn();
    if (surfaces == 0)
    {
      actor->GetProperty()->SetRepresentationToPoints();
    }
    else
    {
      ApplyRepresentation(actor, prop->GetRepresentation());
    }
    if (this->LayerTransform != nullptr)
    {
      actor->SetUserTransform(this->LayerTransform);
    }
    actor->GetProperty()->SetColor(colour);
    vtkNew<vtkProperty> back;
    back->DeepCopy(actor->GetProperty());
    SetBackfaceColour(back, colour);
    actor->SetBackfaceProperty(back);
    this->BackfaceProperties.emplace_back(back);
    if (this->Renderer != nullptr)
    {
      this->Renderer->AddActor(actor);
    }
    this->Actors->AddItem(actor);
    ++added;
  }
  this->NumberOfItems += added;
  this->Built = 0;
}

void vMesh3DLayer::BuildClippedActors(vtkActor* plane)
{
  auto* clipper = this->Clipper.GetPointer();
  if (plane != nullptr)
  {
    if (vtkMatrix4x4* m = plane->GetUserMatrix())
    {
      const double up[4] = { 0.0, 0.0, 1.0, 0.0 }; // a direction: w = 0, no translation
      double normal[4];
      m->MultiplyPoint(up, normal);
      clipper->SetNormal(normal[0], normal[1], normal[2]);
      clipper->SetOrigin(m->GetElement(0, 3), m->GetElement(1, 3), m->GetElement(2, 3));
    }
  }
  size_t index = 0;
  this->Actors->InitTraversal();
  while (vtkActor* actor = this->Actors->GetNextActor())
  {
    vtkProperty* back =
      index < this->BackfaceProperties.size() ? this->BackfaceProperties[index].Get() : nullptr;
    ++index;
    vtkMapper* mapper = actor->GetMapper();
    if (mapper == nullptr)
    {
      continue;
    }
    vtkNew<vtkClipPolyData> clip;
    clip->SetClipFunction(clipper);
    clip->InsideOutOn();
    // Clipping works on poly data; other data sets go through their surface first.
    mapper->Update();
    vtkAlgorithmOutput* source = mapper->GetInputConnection(0, 0);
    if (source == nullptr)
    {
      continue;
    }
    if (vtkPolyData::SafeDownCast(mapper->GetInput()) != nullptr)
    {
      clip->SetInputConnection(source);
    }
    else
    {
      vtkNew<vtkDataSetSurfaceFilter> surface;
      surface->SetInputConnection(source);
      clip->SetInputConnection(surface->GetOutputPort());
    }
    vtkNew<vtkDataSetMapper> clippedMapper;
    clippedMapper->SetInputConnection(clip->GetOutputPort());
    clippedMapper->ScalarVisibilityOff();
    vtkNew<vtkActor> clipped;
    clipped->SetMapper(clippedMapper);
    clipped->SetProperty(actor->GetProperty());
    if (back != nullptr)
    {
      clipped->SetBackfaceProperty(back);
    }
    clipped->SetUserTransform(actor->GetUserTransform());
    clipped->SetVisibility(actor->GetVisibility());
    if (this->Renderer != nullptr)
    {
      this->Renderer->RemoveActor(actor);
      this->Renderer->AddActor(clipped);
    }
    this->DisplayActors->AddItem(clipped);
  }
}

void vMesh3DLayer::RemoveClippedActors()
{
  if (this->Renderer != nullptr)
  {
    this->DisplayActors->InitTraversal();
    while (vtkActor* actor = this->DisplayActors->GetNextActor())
    {
      this->Renderer->RemoveActor(actor);
    }
  }
  this->DisplayActors->RemoveAllItems();
}

void vMesh3DLayer::ClippingOn(vtkActor* plane)
{
  if (this->Clipper == nullptr)
  {
    this->Clipper = vtkSmartPointer<vtkPlane>::New();
  }
  // A second ClippingOn replaces the clipped actors instead of stacking another set.
  this->RemoveClippedActors();
  this->BuildClippedActors(plane);
  this->Built = 0;
}

void vMesh3DLayer::UpdateClippingPlane(vtkActor* plane)
{
  if (this->Clipper == nullptr)
  {
    return;
  }
  this->RemoveClippedActors();
  this->BuildClippedActors(plane);
  this->Built = 0;
}

void vMesh3DLayer::ClippingOff()
{
  this->RemoveClippedActors();
  if (this->Renderer != nullptr)
  {
    this->Actors->InitTraversal();
    while (vtkActor* actor = this->Actors->GetNextActor())
    {
      this->Renderer->AddActor(actor);
    }
  }
  this->Built = 0;
}

void vMesh3DLayer::SetRepresentation(int code)
{
  this->GetProperty()->SetRepresentation(code);
  this->Actors->InitTraversal();
  while (vtkActor* actor = this->Actors->GetNextActor())
  {
    ApplyRepresentation(actor, code);
  }
  this->Built = 0;
}

int vMesh3DLayer::GetRepresentation()
{
  return this->GetProperty()->GetRepresentation();
}

void vMesh3DLayer::SetColorMap(double* values, int n)
{
  this->GetProperty()->SetColorMap("True");
  if (values == nullptr || n <= 0)
  {
    return;
  }
  this->Actors->InitTraversal();
  while (vtkActor* actor = this->Actors->GetNextActor())
  {
    vtkMapper* mapper = actor->GetMapper();
    vtkDataSet* input = mapper ? mapper->GetInput() : nullptr;
    if (input == nullptr || input->GetNumberOfPoints() != n)
    {
      continue;
    }
    vtkNew<vtkDoubleArray> scalars;
    scalars->SetNumberOfComponents(1);
    // Borrowed: the caller keeps the values alive (save = 1, VTK never frees them).
    scalars->SetArray(values, n, 1);
    // The scalars go on a shallow copy that only this layer holds: the data set itself belongs
    // to the model collection, which must never keep a pointer to the caller's values.
    vtkSmartPointer<vtkDataSet> coloured;
    coloured.TakeReference(input->NewInstance());
    coloured->ShallowCopy(input);
    coloured->GetPointData()->SetScalars(scalars);
    mapper->SetInputDataObject(0, coloured);
    mapper->ScalarVisibilityOn();
    mapper->SetScalarRange(this->ColorMapRange);
    coloured->Modified();
  }
  this->Built = 0;
}

vtkProperty* vMesh3DLayer::GetBackfaceProperty(int i) const
{
  if (i < 0 || i >= static_cast<int>(this->BackfaceProperties.size()))
  {
    return nullptr;
  }
  return this->BackfaceProperties[i];
}

void vMesh3DLayer::RemoveAllItems()
{
  this->v3DLayer::RemoveAllItems();
  this->BackfaceProperties.clear();
}

void vMesh3DLayer::SetColorMapRange(double min, double max)
{
  this->ColorMapRange[0] = min;
  this->ColorMapRange[1] = max;
  this->Actors->InitTraversal();
  while (vtkActor* actor = this->Actors->GetNextActor())
  {
    if (vtkMapper* mapper = actor->GetMapper())
    {
      mapper->SetScalarRange(min, max);
    }
  }
}

void vMesh3DLayer::GetColorMapRange(double& min, double& max) const
{
  min = this->ColorMapRange[0];
  max = this->ColorMapRange[1];
}

void vMesh3DLayer::ColorMapOff()
{
  this->Actors->InitTraversal();
  while (vtkActor* actor = this->Actors->GetNextActor())
  {
    if (vtkMapper* mapper = actor->GetMapper())
    {
      mapper->ScalarVisibilityOff();
    }
  }
}
