#ifndef vRenderingTestScene_h
#define vRenderingTestScene_h

#include "vDataResourceFake.h"
#include "vMesh3DLayer.h"
#include "vRendererManager.h"
#include "vViewer.h"

#include "vTempHome.h"

#include <vtkCamera.h>
#include <vtkDataSet.h>
#include <vtkDataSetReader.h>
#include <vtkNew.h>
#include <vtkOBJReader.h>
#include <vtkPolyData.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>
#include <vtkSmartPointer.h>

#include <memory>
#include <string>

/**
 * A viewing tab as the program makes it (a window with its full-window main renderer) and a
 * viewer attached to it, so the window holds "main" (0), "IV" (1) and "Axes" (2).
 */
struct vRenderingTestScene
{
  explicit vRenderingTestScene(int width = 300, int height = 300, bool attach = true)
  {
    this->Window = this->Manager.CreateNewRenderWindow();
    this->Window->SetSize(width, height);
    vtkNew<vtkRenderer> main;
    this->Window->AddRenderer(main);
    this->Viewer = std::make_unique<vViewer>();
    if (attach)
    {
      this->Viewer->SetRenderer(&this->Manager);
    }
  }

  vtkRenderer* Inset() { return this->Manager.GetRenderer(1); }

  /** Looks at the inset renderer's scene from a fixed direction, then renders. */
  void Frame(double azimuth = 30.0, double elevation = 20.0)
  {
    vtkRenderer* inset = this->Inset();
    inset->ResetCamera();
    inset->GetActiveCamera()->Azimuth(azimuth);
    inset->GetActiveCamera()->Elevation(elevation);
    inset->ResetCamera();
    this->Viewer->Render();
  }

  vRendererManager Manager; // declared first: the viewer goes before its manager
  vtkRenderWindow* Window = nullptr;
  std::unique_ptr<vViewer> Viewer;
};

/** Reads a file of the shared test data with VTK's own readers (legacy VTK or OBJ). */
inline vtkSmartPointer<vtkDataSet> vReadTestMesh(const std::string& relative)
{
  const std::string path = vTestData(relative);
  if (path.size() > 4 && path.compare(path.size() - 4, 4, ".obj") == 0)
  {
    vtkNew<vtkOBJReader> reader;
    reader->SetFileName(path.c_str());
    reader->Update();
    return reader->GetOutput();
  }
  vtkNew<vtkDataSetReader> reader;
  reader->SetFileName(path.c_str());
  reader->Update();
  return reader->GetOutput();
}

/** A one-item handle named like the console names it (the data name). */
inline std::unique_ptr<vDataResourceFake> vMakeHandle(vtkDataSet* data, const std::string& name)
{
  auto handle = std::make_unique<vDataResourceFake>();
  handle->AddData(data);
  handle->SetName(name);
  handle->SetDataName(0, name);
  return handle;
}

/** A mesh layer showing data, added to the scene's viewer; the layer belongs to the viewer. */
inline vMesh3DLayer* vAddMesh(vRenderingTestScene& scene, vtkDataSet* data, const std::string& name)
{
  auto handle = vMakeHandle(data, name);
  auto* layer = new vMesh3DLayer;
  layer->AddInput(handle.get());
  if (scene.Viewer->AddInput(layer) < 0)
  {
    delete layer;
    return nullptr;
  }
  return layer;
}

#endif
