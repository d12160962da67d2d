#include "vRendererManager.h"

#include "vUtil.h"

#include "vInstallation.h"

#include <vtkActor2D.h>
#include <vtkActor2DCollection.h>
#include <vtkBMPReader.h>
#include <vtkCallbackCommand.h>
#include <vtkCamera.h>
#include <vtkCoordinate.h>
#include <vtkGenericOpenGLRenderWindow.h>
#include <vtkImageActor.h>
#include <vtkImageData.h>
#include <vtkImageMapper3D.h>
#include <vtkInteractorStyleSwitch.h>
#include <vtkNew.h>
#include <vtkRenderWindow.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkRendererCollection.h>
#include <vtkStdString.h>
#include <vtkTextActor.h>
#include <vtkTextMapper.h>
#include <vtkTextProperty.h>
#include <vtkTextRenderer.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace
{
vRendererManager::RenderWindowFactory& InstalledFactory()
{
  static vRendererManager::RenderWindowFactory factory;
  return factory;
}

/** A GUI window draws only once its widget has made its native window; others always can. */
bool IsReadyForDrawing(vtkRenderWindow* window)
{
  if (auto* generic = vtkGenericOpenGLRenderWindow::SafeDownCast(window))
  {
    return generic->GetReadyForRendering();
  }
  return true;
}

vtkSmartPointer<vtkRenderWindow> MakeDefaultWindow()
{
  vtkNew<vtkRenderWindow> window;
  window->SetOffScreenRendering(1);
  window->SetMultiSamples(0);
  window->SetSize(300, 300);
  return vtkSmartPointer<vtkRenderWindow>(window.GetPointer());
}
} // namespace

tagRENDERERPROP::tagRENDERERPROP()
{
  this->Reset();
}

void tagRENDERERPROP::Reset()
{
  this->names.assign(1, "main");
  // A renderer that was never recorded is restored to the whole window (VTK's default viewport).
  for (int i = 0; i < MaxRenderers; ++i)
  {
    this->xmin[i] = 0.0;
    this->ymin[i] = 0.0;
    this->xmax[i] = 1.0;
    this->ymax[i] = 1.0;
  }
}

void vRendererManager::SetRenderWindowFactory(RenderWindowFactory factory)
{
  InstalledFactory() = std::move(factory);
}

vtkSmartPointer<vtkRenderWindow> vRendererManager::MakeRenderWindow()
{
  if (InstalledFactory())
  {
    return InstalledFactory()();
  }
  return MakeDefaultWindow();
}

vRendererManager::vRendererManager()
{
  std::fill(std::begin(this->LaidOutTopMargin), std::end(this->LaidOutTopMargin), this->TopMargin);
}

vRendererManager::~vRendererManager()
{
  for (int id = 0; id < MaxRenderWindows; ++id)
  {
    this->UnwatchWindow(id); // a window the GUI still holds must not call back into this manager
    this->RenderWindows[id] = nullptr;
    this->Captions[id] = nullptr;
    this->RendererProps[id].names.clear();
  }
}

bool vRendererManager::IsWindow(int id) const
{
  return id >= 0 && id < MaxRenderWindows && this->RenderWindows[id] != nullptr;
}

vtkRenderWindow* vRendererManager::CreateNewRenderWindow()
{
  for (int id = 0; id < MaxRenderWindows; ++id)
  {
    if (this->RenderWindows[id] == nullptr)
    {
      vtkSmartPointer<vtkRenderWindow> window = MakeRenderWindow();
      if (window == nullptr)
      {
        return nullptr;
      }
      this->RenderWindows[id] = window;
      this->RendererProps[id].Reset();
      this->WatchWindow(id);
      this->CurrentRenderWindowId = id;
      ++this->NumberOfRenderWindows;
      return window;
    }
  }
  return nullptr;
}

int vRendererManager::AddRenderWindow(vtkRenderWindow* window)
{
  const int id = this->NumberOfRenderWindows;
  if (window == nullptr || id < 0 || id >= MaxRenderWindows || this->RenderWindows[id] != nullptr)
  {
    return -1;
  }
  this->RenderWindows[id] = window;
  this->RendererProps[id].Reset();
  this->WatchWindow(id);
  return ++this->NumberOfRenderWindows;
}

void vRendererManager::RemoveRenderWindow(int id)
{
  if (this->IsWindow(id))
  {
    vtkRenderWindow* window = this->RenderWindows[id];
    if (vtkRenderWindowInteractor* interactor = window->GetInteractor())
    {
      // Leaves the interactor with a plain style, so no observer of a viewer outlives the window.
      vtkNew<vtkInteractorStyleSwitch> style;
      interactor->SetInteractorStyle(style);
    }
    this->UnwatchWindow(id);
    this->RenderWindows[id] = nullptr;
    // A later window at this id starts with a fresh record, not the names of this one.
    this->RendererProps[id].Reset();
  }
  if (id >= 0 && id < MaxRenderWindows)
  {
    this->Captions[id] = nullptr;
  }
}

vtkRenderWindow* vRendererManager::GetRenderWindow()
{
  return this->GetRenderWindow(this->CurrentRenderWindowId);
}

vtkRenderWindow* vRendererManager::GetRenderWindow(int id)
{
  return this->IsWindow(id) ? this->RenderWindows[id].GetPointer() : nullptr;
}

vtkRenderWindow* vRendererManager::GetFirstRenderWindow()
{
  return this->GetRenderWindow(0);
}

int vRendererManager::SetCurrentRenderWindowId(int id)
{
  const int previous = this->CurrentRenderWindowId;
  this->CurrentRenderWindowId = id;
  return previous;
}

void vRendererManager::Refresh()
{
  for (int id = 0; id < MaxRenderWindows; ++id)
  {
    this->Refresh(id);
  }
}

void vRendererManager::Refresh(int id)
{
  vtkRenderWindow* window = this->GetRenderWindow(id);
  if (window != nullptr && IsReadyForDrawing(window))
  {
    window->Render();
  }
}

vtkRenderer* vRendererManager::GetRenderer(int win, int i)
{
  vtkRenderWindow* window = this->GetRenderWindow(win);
  if (window == nullptr || i < 0)
  {
    return nullptr;
  }
  vtkRendererCollection* renderers = window->GetRenderers();
  if (i >= renderers->GetNumberOfItems())
  {
    return nullptr;
  }
  return vtkRenderer::SafeDownCast(renderers->GetItemAsObject(i));
}

vtkRenderer* vRendererManager::GetRenderer(int i)
{
  if (this->CurrentRenderWindowId < 0)
  {
    return nullptr;
  }
  return this->GetRenderer(this->CurrentRenderWindowId, i);
}

vtkRenderer* vRendererManager::GetFirstRenderer(int win)
{
  return this->GetRenderer(win, 0);
}

vtkRenderer* vRendererManager::GetFirstRenderer()
{
  return this->GetRenderer(this->CurrentRenderWindowId, 0);
}

int vRendererManager::GetNumberOfRenderer(int win)
{
  vtkRenderWindow* window = this->GetRenderWindow(win);
  return window ? window->GetRenderers()->GetNumberOfItems() : 0;
}

int vRendererManager::GetNumberOfRenderer()
{
  return this->GetNumberOfRenderer(this->CurrentRenderWindowId);
}

void vRendererManager::RecordExtent(int win,
  int i,
  double xmin,
  double ymin,
  double xmax,
  double ymax)
{
  if (win < 0 || win >= MaxRenderWindows || i < 0 || i >= MaxRenderers)
  {
    return;
  }
  tagRENDERERPROP& prop = this->RendererProps[win];
  prop.xmin[i] = xmin;
  prop.ymin[i] = ymin;
  prop.xmax[i] = xmax;
  prop.ymax[i] = ymax;
}

int vRendererManager::AddRenderer(int win, vtkRenderer* r, const std::string& name)
{
  vtkRenderWindow* window = this->GetRenderWindow(win);
  if (window == nullptr || r == nullptr)
  {
    return -1;
  }
  const int n = window->GetRenderers()->GetNumberOfItems();
  tagRENDERERPROP& prop = this->RendererProps[win];
  if (n >= MaxRenderers || static_cast<int>(prop.names.size()) >= MaxRenderers)
  {
    return -1;
  }
  double viewport[4];
  r->GetViewport(viewport);
  window->AddRenderer(r);
  window->Render();
  prop.names.push_back(name);
  this->RecordExtent(win, n, viewport[0], viewport[1], viewport[2], viewport[3]);
  return n;
}

int vRendererManager::AddRenderer(vtkRenderer* r, const std::string& name)
{
  return this->AddRenderer(this->CurrentRenderWindowId, r, name);
}

int vRendererManager::CreateRenderer(int, int)
{
  return -1;
}

int vRendererManager::SingleRenderer(int win)
{
  vtkRenderWindow* window = this->GetRenderWindow(win);
  if (window == nullptr)
  {
    return -1;
  }
  const int n = window->GetRenderers()->GetNumberOfItems();
  tagRENDERERPROP& prop = this->RendererProps[win];
  if (n >= MaxRenderers || static_cast<int>(prop.names.size()) >= MaxRenderers)
  {
    return -1;
  }
  const double m = this->Margin;
  const double topMargin = this->GetTopMargin(win);
  vtkNew<vtkRenderer> inset;
  inset->SetViewport(m, m, 1.0 - m, 1.0 - topMargin);
  inset->SetBackground(0.1, 0.1, 0.1);
  window->AddRenderer(inset);
  window->Render();
  prop.names.push_back("IV");
  this->RecordExtent(win, 0, 0.0, 0.0, 1.0, 1.0);
  this->RecordExtent(win, 1, m, m, 1.0 - m, 1.0 - topMargin);
  return n;
}

int vRendererManager::TwoTwoRenderer(int win)
{
  vtkRenderWindow* window = this->GetRenderWindow(win);
  if (window == nullptr)
  {
    return -1;
  }
  const int n = window->GetRenderers()->GetNumberOfItems();
  tagRENDERERPROP& prop = this->RendererProps[win];
  if (n + 4 > MaxRenderers || static_cast<int>(prop.names.size()) + 4 > MaxRenderers)
  {
    return -1;
  }
  const int* size = window->GetSize();
  const double w = size[0];
  const double h = size[1];
  const double mx = this->Margin;
  const double my = h > 0 ? this->Margin * w / h : this->Margin;
  const double topMargin = this->GetTopMargin(win);
  const double wx = (1.0 - 3.0 * mx) / 2.0;
  const double hy = ((1.0 - topMargin) - 2.0 * my) / 2.0;
  const double top = 1.0 - topMargin - my;
  const double viewports[4][4] = {
    { mx, 2.0 * my + hy, mx + wx, top },
    { 2.0 * mx + wx, 2.0 * my + hy, 1.0 - mx, top },
    { mx, my, mx + wx, my + hy },
    { 2.0 * mx + wx, my, 1.0 - mx, my + hy },
  };
  const char* names[4] = { "iv0", "iv1", "iv2", "3D" };
  this->RecordExtent(win, 0, 0.0, 0.0, 1.0, 1.0);
  vtkSmartPointer<vtkRenderer> cells[4];
  for (int k = 0; k < 4; ++k)
  {
    const double* v = viewports[k];
    this->RecordExtent(win, k + 1, v[0], v[1], v[2], v[3]);
    prop.names.emplace_back(names[k]);
    cells[k] = vtkSmartPointer<vtkRenderer>::New();
    cells[k]->SetViewport(v[0], v[1], v[2], v[3]);
    cells[k]->SetBackground(0.1, 0.1, 0.1);
  }
  for (auto& cell : cells)
  {
    window->AddRenderer(cell);
  }
  window->Render();
  return n;
}

void vRendererManager::RemoveRenderer(int i)
{
  const int win = this->CurrentRenderWindowId;
  vtkRenderer* renderer = this->GetRenderer(win, i);
  if (renderer == nullptr)
  {
    return;
  }
  this->RenderWindows[win]->RemoveRenderer(renderer);
  tagRENDERERPROP& prop = this->RendererProps[win];
  const int count = static_cast<int>(prop.names.size());
  for (int j = i + 1; j < count && j < MaxRenderers; ++j)
  {
    prop.xmin[j - 1] = prop.xmin[j];
    prop.ymin[j - 1] = prop.ymin[j];
    prop.xmax[j - 1] = prop.xmax[j];
    prop.ymax[j - 1] = prop.ymax[j];
  }
  if (i < count)
  {
    prop.names.erase(prop.names.begin() + i);
  }
}

void vRendererManager::RemoveRenderer(int win, int i)
{
  if (vtkRenderer* renderer = this->GetRenderer(win, i))
  {
    this->RenderWindows[win]->RemoveRenderer(renderer);
  }
}

void vRendererManager::RemoveAllRenderers(int win)
{
  vtkRenderWindow* window = this->GetRenderWindow(win);
  if (window == nullptr)
  {
    return;
  }
  for (int i = this->GetNumberOfRenderer(win) - 1; i >= 1; --i)
  {
    this->RemoveRenderer(win, i);
  }
  window->Render();
}

int vRendererManager::Find(const std::string& name)
{
  const tagRENDERERPROP* prop = this->GetRendererProp(this->CurrentRenderWindowId);
  if (prop == nullptr)
  {
    return -1;
  }
  for (size_t i = 0; i < prop->names.size(); ++i)
  {
    if (prop->names[i] == name)
    {
      return static_cast<int>(i);
    }
  }
  return -1;
}

std::string vRendererManager::GetRendererName(int i)
{
  const tagRENDERERPROP* prop = this->GetRendererProp(this->CurrentRenderWindowId);
  if (prop == nullptr || i < 0 || i >= static_cast<int>(prop->names.size()))
  {
    return "";
  }
  return prop->names[i];
}

std::string vRendererManager::GetRendererName()
{
  const tagRENDERERPROP* prop = this->GetRendererProp(this->CurrentRenderWindowId);
  const int count = prop ? static_cast<int>(prop->names.size()) : 0;
  if (count <= 1)
  {
    return "No available renderers";
  }
  const std::vector<int> widths = { 20, 20 };
  std::string text = "Number of renderers: " + std::to_string(count - 1) + "\r\n";
  text += "-------------------------\r\n";
  text += vUtil::ConstructRow({ "id", "name" }, widths);
  text += "\r\n";
  for (int i = 1; i < count; ++i)
  {
    if (i > 1)
    {
      text += "\r\n";
    }
    text += vUtil::ConstructRow({ std::to_string(i), prop->names[i] }, widths);
  }
  return text;
}

void vRendererManager::GetRendererSize(int i,
  double& xmin,
  double& ymin,
  double& xmax,
  double& ymax)
{
  if (vtkRenderer* renderer = this->GetRenderer(i))
  {
    double viewport[4];
    renderer->GetViewport(viewport);
    xmin = viewport[0];
    ymin = viewport[1];
    xmax = viewport[2];
    ymax = viewport[3];
  }
}

int vRendererManager::Enlarge(const std::string& name)
{
  const int win = this->CurrentRenderWindowId;
  const tagRENDERERPROP* prop = this->GetRendererProp(win);
  int found = -1;
  const int count = this->GetNumberOfRenderer(win);
  const double topMargin = this->GetTopMargin(win);
  for (int i = 0; i < count; ++i)
  {
    vtkRenderer* renderer = this->GetRenderer(win, i);
    if (prop && i < static_cast<int>(prop->names.size()) && prop->names[i] == name)
    {
      renderer->SetViewport(this->Margin, this->Margin, 1.0 - this->Margin, 1.0 - topMargin);
      found = i;
    }
    else
    {
      renderer->SetViewport(0.0, 0.0, 0.0, 0.0);
    }
  }
  this->Refresh();
  return found;
}

int vRendererManager::Restore()
{
  const int win = this->CurrentRenderWindowId;
  const int count = this->GetNumberOfRenderer(win);
  for (int i = 0; i < count && i < MaxRenderers; ++i)
  {
    const tagRENDERERPROP& prop = this->RendererProps[win];
    this->GetRenderer(win, i)->SetViewport(prop.xmin[i], prop.ymin[i], prop.xmax[i], prop.ymax[i]);
  }
  this->Refresh();
  return 0;
}

void vRendererManager::SetCaption(int win, const std::string& text)
{
  if (!this->IsWindow(win))
  {
    return;
  }
  if (this->Captions[win] == nullptr)
  {
    vtkNew<vtkTextActor> caption;
    caption->SetInput(text.c_str());
    caption->GetPositionCoordinate()->SetCoordinateSystemToNormalizedViewport();
    vtkTextProperty* property = caption->GetTextProperty();
    property->BoldOn();
    property->SetColor(1.0, 1.0, 1.0);
    property->SetFontFamilyToArial();
    property->SetFontSize(CaptionFontSize);
    property->SetVerticalJustificationToTop();
    property->SetJustificationToLeft();
    caption->SetPosition(0.01, 0.99);
    this->Captions[win] = caption;
    if (vtkRenderer* main = this->GetRenderer(win, 0))
    {
      main->AddActor2D(caption);
    }
  }
  else
  {
    this->Captions[win]->SetInput(text.c_str());
  }
  this->Refresh(win);
}

void vRendererManager::WatchWindow(int id)
{
  this->LaidOutTopMargin[id] = this->TopMargin;
  vtkRenderWindow* window = this->GetRenderWindow(id);
  if (window == nullptr || this->FitObservers[id] != 0)
  {
    return;
  }
  vtkNew<vtkCallbackCommand> fit;
  fit->SetClientData(this);
  fit->SetCallback(
    [](vtkObject* caller, unsigned long, void* clientData, void*)
    {
      auto* self = static_cast<vRendererManager*>(clientData);
      for (int win = 0; win < MaxRenderWindows; ++win)
      {
        if (self->RenderWindows[win] == caller)
        {
          self->FitCaption(win);
        }
      }
    });
  this->FitObservers[id] = window->AddObserver(vtkCommand::StartEvent, fit);
}

void vRendererManager::UnwatchWindow(int id)
{
  if (id < 0 || id >= MaxRenderWindows || this->FitObservers[id] == 0)
  {
    return;
  }
  if (this->RenderWindows[id] != nullptr)
  {
    this->RenderWindows[id]->RemoveObserver(this->FitObservers[id]);
  }
  this->FitObservers[id] = 0;
}

double vRendererManager::CaptionGap(int win)
{
  vtkRenderWindow* window = this->GetRenderWindow(win);
  vtkTextActor* caption = win >= 0 && win < MaxRenderWindows ? this->Captions[win].Get() : nullptr;
  const int* size = window ? window->GetSize() : nullptr;
  if (!caption || !size || size[0] <= 0 || size[1] <= 0)
  {
    return this->TopMargin;
  }
  const double width = size[0];
  const double height = size[1];
  const char* input = caption->GetInput();
  const std::string text = input ? input : "";
  // Measured on a copy: the caption's own property changes only when its size does, so that an
  // unchanged caption is not drawn anew at every render.
  vtkNew<vtkTextProperty> property;
  property->ShallowCopy(caption->GetTextProperty());
  vtkTextRenderer* measure = vtkTextRenderer::GetInstance();
  const int dpi = window->GetDPI() > 0 ? window->GetDPI() : 72;
  // Text box in pixels at a font size; an estimate when no text renderer is there.
  const auto box = [&](int fontSize, int& boxWidth, int& boxHeight)
  {
    property->SetFontSize(fontSize);
    int bounds[4] = { 0, -1, 0, -1 };
    if (text.empty() || !measure ||
      !measure->GetBoundingBox(property, vtkStdString(text), bounds, dpi))
    {
      boxWidth = static_cast<int>(0.6 * fontSize * dpi / 72.0 * static_cast<double>(text.size()));
      boxHeight = static_cast<int>(1.25 * fontSize * dpi / 72.0);
      return;
    }
    boxWidth = bounds[1] - bounds[0] + 1;
    boxHeight = bounds[3] - bounds[2] + 1;
  };
  // The caption starts at 1% of the width from the left: it gets the rest, less a pixel or two.
  const double room = 0.99 * width - 2.0;
  int boxWidth = 0;
  int boxHeight = 0;
  box(CaptionFontSize, boxWidth, boxHeight);
  int fontSize = CaptionFontSize;
  if (boxWidth > room && boxWidth > 0)
  {
    const int smaller = static_cast<int>(CaptionFontSize * room / boxWidth);
    fontSize = std::max(MinimumCaptionFontSize, std::min(CaptionFontSize, smaller));
    box(fontSize, boxWidth, boxHeight);
    // Text does not shrink quite in proportion: a point less until it fits.
    while (boxWidth > room && fontSize > MinimumCaptionFontSize)
    {
      box(--fontSize, boxWidth, boxHeight);
    }
  }
  caption->GetTextProperty()->SetFontSize(fontSize);
  // Its top is 1% of the height below the window's top; two pixels of air below it.
  const double needed = (0.01 * height + boxHeight + 2.0) / height;
  return std::min(0.5, std::max(this->TopMargin, needed));
}

double vRendererManager::GetTopMargin(int win)
{
  if (!this->IsWindow(win))
  {
    return this->TopMargin;
  }
  this->FitCaption(win);
  return this->LaidOutTopMargin[win];
}

void vRendererManager::FitCaption(int win)
{
  if (!this->IsWindow(win))
  {
    return;
  }
  const double gap = this->CaptionGap(win);
  const double old = this->LaidOutTopMargin[win];
  if (std::fabs(gap - old) < 1e-9)
  {
    return;
  }
  // Everything below the caption keeps its layout inside the new height: y scales by the ratio.
  const double scale = (1.0 - gap) / (1.0 - old);
  tagRENDERERPROP& prop = this->RendererProps[win];
  const int count = this->GetNumberOfRenderer(win);
  for (int i = 1; i < count; ++i)
  {
    vtkRenderer* renderer = this->GetRenderer(win, i);
    double v[4];
    renderer->GetViewport(v);
    renderer->SetViewport(v[0], v[1] * scale, v[2], v[3] * scale);
  }
  const int recorded = std::min(MaxRenderers, std::max(count, static_cast<int>(prop.names.size())));
  for (int i = 1; i < recorded; ++i)
  {
    prop.ymin[i] *= scale;
    prop.ymax[i] *= scale;
  }
  this->LaidOutTopMargin[win] = gap;
}

void vRendererManager::SetCaption(const std::string& text)
{
  if (this->CurrentRenderWindowId >= 0)
  {
    this->SetCaption(this->CurrentRenderWindowId, text);
  }
}

std::string vRendererManager::GetCaption()
{
  const int win = this->CurrentRenderWindowId;
  if (win < 0 || win >= MaxRenderWindows || this->Captions[win] == nullptr)
  {
    return "";
  }
  const char* text = this->Captions[win]->GetInput();
  return text ? text : "";
}

void vRendererManager::WriteText(int i, const char* text, double x, double y)
{
  vtkRenderer* renderer = this->GetRenderer(i);
  if (renderer == nullptr)
  {
    return;
  }
  vtkNew<vtkTextMapper> mapper;
  mapper->SetInput(text ? text : "");
  vtkTextProperty* property = mapper->GetTextProperty();
  property->SetFontFamily(this->Font.family);
  property->SetFontSize(this->Font.size);
  property->SetColor(this->Font.color);
  vtkNew<vtkActor2D> actor;
  actor->SetMapper(mapper);
  renderer->AddActor2D(actor);
  actor->GetPositionCoordinate()->SetCoordinateSystemToNormalizedViewport();
  actor->GetPositionCoordinate()->SetValue(x, y);
  this->GetRenderWindow()->Render();
}

namespace
{
void SetTextVisibility(vtkRenderer* renderer, int visible)
{
  if (renderer == nullptr)
  {
    return;
  }
  vtkActor2DCollection* actors = renderer->GetActors2D();
  actors->InitTraversal();
  while (vtkActor2D* actor = actors->GetNextActor2D())
  {
    actor->SetVisibility(visible);
  }
}
} // namespace

void vRendererManager::ShowText(int i)
{
  SetTextVisibility(this->GetRenderer(i), 1);
}

void vRendererManager::HideText(int i)
{
  SetTextVisibility(this->GetRenderer(i), 0);
}

void vRendererManager::SetFontColor(double r, double g, double b)
{
  this->Font.color[0] = r;
  this->Font.color[1] = g;
  this->Font.color[2] = b;
}

void vRendererManager::RegisterRenderer(const std::string& rendererName,
  const std::string& moduleName)
{
  int index = this->SearchRegistry(moduleName);
  if (index < 0)
  {
    if (this->NumberOfModules >= MaxModules)
    {
      return;
    }
    index = this->NumberOfModules++;
    this->Modules[index].name = moduleName;
    this->Modules[index].renderers.clear();
  }
  if (this->Modules[index].renderers.size() < static_cast<size_t>(MaxRenderers))
  {
    this->Modules[index].renderers.push_back(rendererName);
  }
}

int vRendererManager::SearchRegistry(const std::string& name)
{
  for (int i = 0; i < this->NumberOfModules; ++i)
  {
    if (vUtil::EqualsNoCase(this->Modules[i].name, name))
    {
      return i;
    }
  }
  return -1;
}

void vRendererManager::UnregisterModule(const std::string& name)
{
  for (int i = this->GetNumberOfRenderer() - 1; i >= 1; --i)
  {
    this->RemoveRenderer(i);
  }
  const int index = this->SearchRegistry(name);
  if (index >= 0)
  {
    for (int i = index + 1; i < this->NumberOfModules; ++i)
    {
      this->Modules[i - 1] = this->Modules[i];
    }
    --this->NumberOfModules;
    this->Modules[this->NumberOfModules] = tagMODULEREGISTRY();
  }
}

void vRendererManager::ShowSplashWindow()
{
  const std::string path = vInstallation::GetSubFolder("SystemRegistry") + "/QOVA.bmp";
  vtkRenderWindow* window = this->GetRenderWindow();
  vtkRenderer* main = this->GetFirstRenderer();
  if (window == nullptr || main == nullptr || !std::ifstream(path).good())
  {
    return;
  }
  vtkNew<vtkBMPReader> reader;
  reader->SetFileName(path.c_str());
  reader->Update();
  if (reader->GetOutput()->GetNumberOfPoints() == 0)
  {
    return;
  }
  // What an image viewer bound to this window and renderer would do, without letting it swap
  // renderers in and out of the window (which would put the renderer table out of step).
  vtkNew<vtkImageActor> image;
  image->GetMapper()->SetInputConnection(reader->GetOutputPort());
  main->AddViewProp(image);
  main->ResetCamera();
  main->GetActiveCamera()->ParallelProjectionOn();
  main->ResetCamera();
  window->Render();
}

const tagRENDERERPROP* vRendererManager::GetRendererProp(int id) const
{
  if (id < 0 || id >= MaxRenderWindows)
  {
    return nullptr;
  }
  return &this->RendererProps[id];
}
