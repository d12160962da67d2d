#ifndef vRendererManager_h
#define vRendererManager_h

#include "VemoraRenderingModule.h"

#include <vtkSmartPointer.h> // for members

#include <functional>
#include <string>
#include <vector>

class vtkRenderWindow;
class vtkRenderer;
class vtkTextActor;

/** Style of the text written with `vRendererManager::WriteText`. Assignable as a whole. */
struct VEMORARENDERING_EXPORT tagFONTPROP
{
  int family = 1; // VTK font family code (vtkTextProperty::SetFontFamily), 1 = Courier
  int size = 14;  // points
  double color[3] = { 0.5, 0.5, 1.0 };
};

/**
 * The renderer record of one window: the renderers' names by renderer index ("main" is element 0
 * from the start) and their recorded viewports (normalized 0..1), which `Restore` puts back.
 */
struct VEMORARENDERING_EXPORT tagRENDERERPROP
{
  static constexpr int MaxRenderers = 128;

  tagRENDERERPROP();
  /** Back to a window that holds only its main renderer. */
  void Reset();

  std::vector<std::string> names;
  double ymin[MaxRenderers];
  double xmin[MaxRenderers];
  double ymax[MaxRenderers];
  double xmax[MaxRenderers];
};

/** One entry of the module registry: a module and the renderers it created. */
struct VEMORARENDERING_EXPORT tagMODULEREGISTRY
{
  std::string name;
  std::vector<std::string> renderers;
};

/**
 * The registry of everything drawn on screen: up to 24 render windows (ids 0..23), each with an
 * ordered list of named renderers, their recorded viewports and an optional caption. Operations
 * without a window argument act on the current window. Window 0's renderer 0 is its "main"
 * renderer, which the view that owns the window adds itself.
 *
 * Windows come from one factory (`SetRenderWindowFactory`): without one, an off-screen
 * `vtkRenderWindow` is made; the GUI installs one that makes the windows of its views.
 * Every window id and renderer index is checked: a missing window or renderer gives null, -1 or
 * no change.
 */
class VEMORARENDERING_EXPORT vRendererManager
{
public:
  static constexpr int MaxRenderWindows = 24;
  static constexpr int MaxRenderers = tagRENDERERPROP::MaxRenderers;
  static constexpr int MaxModules = 128;

  /** Makes a new render window; the manager keeps one reference to it. */
  using RenderWindowFactory = std::function<vtkSmartPointer<vtkRenderWindow>()>;

  /** Installs the window factory for every manager; an empty function restores the default. */
  static void SetRenderWindowFactory(RenderWindowFactory factory);
  /** A window from the installed factory (the default: off screen, 300 x 300, no multisampling). */
  static vtkSmartPointer<vtkRenderWindow> MakeRenderWindow();

  vRendererManager();
  virtual ~vRendererManager();
  vRendererManager(const vRendererManager&) = delete;
  vRendererManager& operator=(const vRendererManager&) = delete;

  // Windows.
  /** Makes a window at the lowest free id and makes it current; null when all 24 are in use. */
  vtkRenderWindow* CreateNewRenderWindow();
  /** Stores the window at id GetNumberOfRenderWindow(); the new count, or -1 when refused. */
  int AddRenderWindow(vtkRenderWindow* window);
  /** Releases window id (and its caption); the count and the current id stay. */
  void RemoveRenderWindow(int id);
  vtkRenderWindow* GetRenderWindow();
  vtkRenderWindow* GetRenderWindow(int id);
  vtkRenderWindow* GetFirstRenderWindow();
  int GetNumberOfRenderWindow() const { return this->NumberOfRenderWindows; }
  int GetCurrentRenderWindowId() const { return this->CurrentRenderWindowId; }
  /** Returns the previous current id. */
  int SetCurrentRenderWindowId(int id);
  /** Renders every window that is ready for drawing. */
  void Refresh();
  void Refresh(int id);

  // Renderers.
  vtkRenderer* GetRenderer(int win, int i);
  vtkRenderer* GetRenderer(int i);
  vtkRenderer* GetFirstRenderer(int win);
  vtkRenderer* GetFirstRenderer();
  vtkRenderer* GetMainRenderer(int win) { return this->GetFirstRenderer(win); }
  vtkRenderer* GetMainRenderer() { return this->GetFirstRenderer(); }
  int GetNumberOfRenderer(int win);
  int GetNumberOfRenderer();
  /** Adds r to window win under name; returns its index, -1 when refused. */
  int AddRenderer(int win, vtkRenderer* r, const std::string& name);
  int AddRenderer(vtkRenderer* r, const std::string& name);
  /** Creates nothing; -1. */
  int CreateRenderer(int, int);
  /** Inset layout: one renderer "IV" inside the margins; its index, -1 without the window. */
  int SingleRenderer(int win);
  /** 2 x 2 layout "iv0", "iv1", "iv2", "3D"; index of the first, -1 without the window. */
  int TwoTwoRenderer(int win);
  /** Removes renderer i of the current window with its name and recorded viewport. */
  void RemoveRenderer(int i);
  /** Removes renderer i of window win from the window only (names and viewports stay). */
  void RemoveRenderer(int win, int i);
  /** Removes every renderer but the main one from window win, then renders it. */
  void RemoveAllRenderers(int win);
  /** Index of name among the current window's renderer names (case-sensitive); -1 when absent. */
  int Find(const std::string& name);
  /** Name of renderer i of the current window; "" when there is none. */
  std::string GetRendererName(int i);
  /** The renderer table of the current window ("No available renderers" with "main" alone). */
  std::string GetRendererName();
  /** The present viewport of renderer i of the current window (unchanged when it is missing). */
  void GetRendererSize(int i, double& xmin, double& ymin, double& xmax, double& ymax);
  /** Shows the named renderer inside the margins and hides the others; its index or -1. */
  int Enlarge(const std::string& name);
  /** Puts back the recorded viewports; 0. */
  int Restore();

  // Captions and text.
  void SetCaption(int win, const std::string& text);
  void SetCaption(const std::string& text);
  std::string GetCaption();
  /** Adds a text at (x, y) (normalized viewport) to renderer i of the current window. */
  void WriteText(int i, const char* text, double x, double y);
  void WriteOnTopLeftCorner(int i, const char* text) { this->WriteText(i, text, 0.05, 0.95); }
  void WriteOnTopRightCorner(int i, const char* text) { this->WriteText(i, text, 0.95, 0.95); }
  void WriteOnBottomLeftCorner(int i, const char* text) { this->WriteText(i, text, 0.05, 0.05); }
  void WriteOnBottomRightCorner(int i, const char* text) { this->WriteText(i, text, 0.95, 0.05); }
  /** Shows / hides every 2-D actor of renderer i of the current window. */
  void ShowText(int i);
  void HideText(int i);
  void SetFontSize(int size) { this->Font.size = size; }
  void SetFontFamily(int family) { this->Font.family = family; }
  void SetFontColor(double r, double g, double b);
  const tagFONTPROP& GetFont() const { return this->Font; }

  // Module registry.
  /** Records that module moduleName created renderer rendererName (up to 128 modules). */
  void RegisterRenderer(const std::string& rendererName, const std::string& moduleName);
  /** Index of the module record named name (ignoring case); -1 when none. */
  int SearchRegistry(const std::string& name);
  /** Removes every renderer of the current window but the main one, and the module's record. */
  void UnregisterModule(const std::string& name);
  int GetNumberOfModules() const { return this->NumberOfModules; }

  /** Shows SystemRegistry/QOVA.bmp of the installation folder in the current window. */
  void ShowSplashWindow();

  /** The renderer record of window id (null for an id outside 0..23). */
  const tagRENDERERPROP* GetRendererProp(int id) const;

  double GetMargin() const { return this->Margin; }
  /** The least gap kept free at the top of a window (normalized): 0.03. */
  double GetTopMargin() const { return this->TopMargin; }
  /**
   * The gap at the top of window win that the layouts leave free (normalized): `GetTopMargin()`,
   * or more when the window's caption needs it at the window's present size. The caption is
   * fitted at every render of the window (its font made smaller when the text is wider than the
   * window) and the renderers below it are moved, keeping their layout, so that it never covers
   * or is covered by them. `GetTopMargin()` for a missing window.
   */
  double GetTopMargin(int win);

  /** Caption font size (points) when the text fits the window's width; smaller ones go to 8. */
  static constexpr int CaptionFontSize = 16;
  static constexpr int MinimumCaptionFontSize = 8;

private:
  bool IsWindow(int id) const;
  void RecordExtent(int win, int i, double xmin, double ymin, double xmax, double ymax);
  /** Starts / stops fitting the caption of window id at each of its renders. */
  void WatchWindow(int id);
  void UnwatchWindow(int id);
  /**
   * Fits the caption of window win to the window's present size and moves the renderers below it
   * (every renderer but the main one, and their recorded extents) when the gap they leave changes.
   */
  void FitCaption(int win);
  /** The gap the caption of window win needs at the window's size (normalized), after fitting. */
  double CaptionGap(int win);

  vtkSmartPointer<vtkRenderWindow> RenderWindows[MaxRenderWindows];
  int NumberOfRenderWindows = 0;
  int CurrentRenderWindowId = 0;
  tagMODULEREGISTRY Modules[MaxModules];
  int NumberOfModules = 0;
  tagFONTPROP Font;
  tagRENDERERPROP RendererProps[MaxRenderWindows];
  double Margin = 0.005;
  double TopMargin = 0.03;
  vtkSmartPointer<vtkTextActor> Captions[MaxRenderWindows];
  /** The top gap that the viewports of each window are laid out for. */
  double LaidOutTopMargin[MaxRenderWindows];
  /** Tags of the observers that fit the captions (0: none). */
  unsigned long FitObservers[MaxRenderWindows] = {};
};

#endif
