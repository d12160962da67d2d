#ifndef CVemoraApp_h
#define CVemoraApp_h

#include "vAppOptions.h"

#include <QObject>

#include <memory>

class CMainFrame;
class CVemoraCP;
class vQtShellNotifier;
class vQtUserPrompt;

/**
 * The application object of the window: it owns the facade (created and initialised first, so the
 * engine, the modules and the workspace exist before the window), the Qt user prompt and notifier
 * (installed for the libraries while it lives), and the main window. `Run` builds the window,
 * opens the first viewing tab and the files of the command line, and runs the event loop; when the
 * loop ends the window goes first (configuration saved, console history written), then the facade.
 * A QApplication must exist.
 */
class CVemoraApp : public QObject
{
  Q_OBJECT
public:
  CVemoraApp();
  ~CVemoraApp() override;

  /** Shows the window as the options say; returns once it is shown (no event loop). */
  void Start(const vAppOptions& options);
  /** `Start`, then the event loop; the program's exit code. */
  int Run(const vAppOptions& options);
  /** Closes the window and lets go of it (as at exit); the facade stays until destruction. */
  void Finish();

  CVemoraCP* GetController() const { return this->controller.get(); }
  CMainFrame* GetMainFrame() const { return this->Frame.get(); }
  int GetTabCount() const;
  /** Writes a picture of the whole window as PNG, atomically; false when it cannot. */
  bool SaveWindowPicture(const std::string& path) const;

private:
  void FirstFrame();

  std::unique_ptr<vQtUserPrompt> Prompt;
  std::unique_ptr<vQtShellNotifier> Notifier;
  std::unique_ptr<CVemoraCP> controller;
  std::unique_ptr<CMainFrame> Frame;
  vAppOptions Options;
  int ExitCode = 0;
};

#endif
