#ifndef vViewModule_h
#define vViewModule_h

#include "vModuleBase.h"

#include <vtkSmartPointer.h> // for members

#include <memory>
#include <string>
#include <vector>

class CVemoraCP;
class vLayer;
class vRendererManager;
class vResource;
class vViewer;
class vViewerWrapperBase;
class vViewModulePage;
class vtkDataSet;
class vtkRenderWindow;

/**
 * The common part of the view modules shipped with the system (an analysis module in the sense of
 * the module contract, vModuleContract.h).
 *
 * A view module builds one viewer per viewing tab, through a viewer wrapper on the tab's render
 * window, the first time it is started there ("coolstart", or "add NAME"), installs the wrapper as
 * the observer of the window's interactor and activates itself in that tab. "add NAME ..." shows
 * data of the workspace (or of a live data source) in the tab's viewer. Every export of the
 * contract maps onto one operation here; the module library holds one object of a derived class
 * and forwards its exports to it.
 *
 * Commands (the reply is `GetLastMessage`; result 0, or 1 for a line the module does not take, so
 * that the console offers it to its own words):
 *   coolstart                         the viewer of the current tab
 *   add NAME [NAME ...]               shows data items
 *   action rotate|select|pan|clip|tag the mouse action ("action" alone: the current one)
 *   reset, render                     the camera; a forced render
 *   next                              the next frame of every live source shown
 *   layers                            the layer table
 *   help                              the command list
 * plus what the derived module adds (`OwnCommand`).
 *
 * Run adds the module's page (vViewModulePage) to the component panel when the facade has one and a
 * Qt application exists; otherwise it adds an empty page, which a missing panel ignores. The pages
 * are detached from the module when it is released (`ReleaseMemory`, or its destruction), before
 * its library is unloaded.
 */
class vViewModule : public vModuleBase
{
public:
  static constexpr int MaximumTabs = 24;
  static constexpr int Handled = 0;
  static constexpr int NotHandled = 1;
  /** A command that ran out of memory ("error: not enough memory in NAME command 'WORD'"). */
  static constexpr int OutOfMemory = 22;

  vViewModule(std::string name, std::string description, std::string version, int targetType);
  ~vViewModule() override;

  // The exports of the contract.
  const char* GetModuleName() const { return this->Name.c_str(); }
  const char* GetModuleDesc() const { return this->Description.c_str(); }
  const char* GetModuleVer() const { return this->Version.c_str(); }
  int GetTargetDataType() override { return this->TargetType; }
  void SetRenderWindow(vtkRenderWindow* window) { this->FirstWindow = window; }
  void SetCP(CVemoraCP* cp);
  /** Adds the module's page to the component panel (nothing without one). */
  void Run();
  /** How many of the pages it made are still shown (their widgets alive). */
  int GetNumberOfPages() const;
  vViewer* GetViewer();
  /** Deletes the viewer's layers in the current tab (vModuleBase::DeleteViewer). */
  void DelViewer();
  /** Lets go of the current tab's viewer and wrapper. */
  void DetachData() override;
  /** Runs a command line; no exception leaves it (see `OutOfMemory`). */
  int Command(const char* text);
  const char* GetLastMessage() const { return this->LastMessage.c_str(); }
  const char* GetCommandList() const { return this->CommandList.c_str(); }
  /** Lets go of every tab's viewer and wrapper (before the library is unloaded). */
  void ReleaseMemory();

  void SetPrimaryData(int index) override;
  /**
   * Shows a data item given by (type, index): a hard resource when the workspace tree's selection
   * is a hard-resource node ("Hardware [i] ..."), else a model (2, 16, 32, 64) or a volume (4).
   */
  void AddSecondaryData(int type, int index) override;
  void CoolStart() override;

  /** The current tab's render window id, or -1 without a viewing tab. */
  int GetCurrentTab() const;
  CVemoraCP* GetCP() const { return this->CP; }

protected:
  /** A new wrapper of the module's kind (reference held by the caller). */
  virtual vViewerWrapperBase* NewWrapper() = 0;
  /** Shows a model of the workspace collection; false when the module does not show models. */
  virtual bool ShowModel(int index) = 0;
  /** Shows a volume of the workspace collection. */
  virtual bool ShowVolume(int index) = 0;
  /** Shows a data set acquired from a live source, named `name`. */
  virtual bool ShowLiveData(vtkDataSet* data, const std::string& name) = 0;
  /** Commands of the derived module: Handled or NotHandled, with `LastMessage` set. */
  virtual int OwnCommand(const std::string& word, const std::vector<std::string>& arguments);
  /**
   * Puts the module's actions on its page; the derived module calls this, then adds its own
   * commands.
   */
  virtual void AddPageActions(vViewModulePage& page);

  /** `Command` without its guard against running out of memory. */
  int RunCommand(const char* text);
  /** Makes sure the current tab has a viewer; false (with the message set) when it cannot. */
  bool EnsureViewer();
  /** Shows one data item by name. */
  bool Add(const std::string& name);
  /** Acquires a data set from hard resource `index`; null on failure. */
  vtkSmartPointer<vtkDataSet> Acquire(int index);
  /** Keeps a handle alive as long as the current tab shows it. */
  vResource* Keep(vResource* handle);
  /** Keeps a data set alive as long as the current tab shows it (`source`: its hard resource). */
  void Keep(vtkDataSet* data, int source = -1);
  /**
   * Lets go of every handle and live data set the current tab keeps, except `handle` and `data`
   * (for a module that shows one item at a time, once the layers of the others are gone).
   */
  void KeepOnly(vResource* handle, vtkDataSet* data);
  /** Acquires the next frame of every live source shown in the current tab; how many changed. */
  int NextFrame();
  /** Adds a layer to the current tab's viewer; false (and the layer deleted) when refused. */
  bool AddLayer(vLayer* layer);
  vViewerWrapperBase* CurrentWrapper() const;
  vRendererManager* GetRenderers() const;
  /** Sets the text of the current message. */
  int Reply(int result, const std::string& message);

  std::string Name;
  std::string Description;
  std::string Version;
  int TargetType;
  std::string LastMessage;
  std::string CommandList;
  CVemoraCP* CP = nullptr;                // borrowed: the facade
  vtkRenderWindow* FirstWindow = nullptr; // borrowed: given at start-up (may be null)

private:
  struct Tab
  {
    vViewerWrapperBase* Wrapper = nullptr; // owned (VTK reference)
    vtkRenderWindow* Window = nullptr;     // the window the viewer was built on; compared only
    std::vector<std::unique_ptr<vResource>> Handles;
    std::vector<vtkSmartPointer<vtkDataSet>> LiveData;
    std::vector<int> LiveSources; // the hard resource of each live data set (-1: none)
  };
  /** Lets go of one tab's viewer, wrapper and handles (the tab's window made current). */
  void ReleaseTab(int tab);
  /**
   * Lets go of the viewers of tabs whose window has gone (the shell may remove a window before it
   * tells the modules, and a new tab may take the same id). A viewer whose id already belongs to
   * a new window that holds more than its main renderer loses its layers only, so that nothing of
   * the new window is touched.
   */
  void SweepClosedTabs();
  /** Detaches and forgets every page (their widgets stay with the panel). */
  void DetachPages();

  Tab Tabs[MaximumTabs];
  std::vector<std::unique_ptr<vViewModulePage>> Pages;
  int Frame = 0; // the next frame asked of a live source
};

/**
 * Makes the module object of a view module library: each library defines it once, and the exports
 * of the contract (vViewModuleExports.cxx, linked into the library) call it on first use.
 */
std::unique_ptr<vViewModule> vNewViewModule();

#endif
