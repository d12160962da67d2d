#include "CVemoraApp.h"

#include "CMainFrame.h"
#include "CVemoraView.h"

#include "CT4K2EditCtrl.h"
#include "Voxlet.h"
#include "vQtShellNotifier.h"
#include "vQtUserPrompt.h"

#include "CVemoraCP.h"

#include "vShellNotifier.h"
#include "vUserPrompt.h"

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <unistd.h>

CVemoraApp::CVemoraApp()
  : Prompt(std::make_unique<vQtUserPrompt>())
  , Notifier(std::make_unique<vQtShellNotifier>())
  , controller(std::make_unique<CVemoraCP>())
{
  vUserPrompt::Install(this->Prompt.get());
  vShellNotifier::Install(this->Notifier.get());
  this->controller->UIInit();
}

CVemoraApp::~CVemoraApp()
{
  this->Finish();
  this->controller.reset();
  vShellNotifier::Install(nullptr);
  vUserPrompt::Install(nullptr);
}

int CVemoraApp::GetTabCount() const
{
  return this->Frame ? this->Frame->GetTabCount() : 0;
}

void CVemoraApp::Start(const vAppOptions& options)
{
  this->Options = options;
  this->Frame = std::make_unique<CMainFrame>(this->controller.get());
  this->Prompt->SetParent(this->Frame.get());
  connect(
    this->Notifier.get(), &vQtShellNotifier::Notice, this->Frame.get(), &CMainFrame::HandleNotice);
  connect(this->Frame.get(),
    &CMainFrame::FirstFrameDrawn,
    this,
    &CVemoraApp::FirstFrame,
    Qt::QueuedConnection);

  this->Frame->NewTab();
  QStringList paths;
  for (const std::string& path : options.Paths)
  {
    paths << QString::fromStdString(path);
  }
  this->Frame->OpenPaths(paths);

  const bool restored = this->Frame->RestoreState();
  if (options.Width > 0)
  {
    this->Frame->resize(options.Width, options.Height);
    this->Frame->show();
  }
  else if (restored)
  {
    this->Frame->show();
  }
  else
  {
    this->Frame->showMaximized();
  }
  if (!restored)
  {
    // Once the window is laid out, the side panes get their first width.
    QTimer::singleShot(0, this->Frame.get(), &CMainFrame::ResetPaneSizes);
  }
  this->controller->SetParentHwnd(this->Frame.get());
}

int CVemoraApp::Run(const vAppOptions& options)
{
  this->Start(options);
  const int code = QApplication::exec();
  this->Finish();
  return code != 0 ? code : this->ExitCode;
}

void CVemoraApp::Finish()
{
  if (this->Frame)
  {
    if (this->Frame->isVisible())
    {
      this->Frame->close();
    }
    this->Frame.reset();
  }
}

void CVemoraApp::FirstFrame()
{
  if (!qEnvironmentVariableIsEmpty("VEMORA_TIMING"))
  {
    // For the start-up benchmark: the monotonic clock when the first frame is on screen.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(stderr,
      "first-frame-ns %lld\n",
      static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
  }
  if (!this->Options.Script.empty() && this->Frame)
  {
    const int result = this->Frame->GetConsole()->GetEditCtrl()->RunScript(this->Options.Script);
    if (result != 0)
    {
      this->ExitCode = 1;
    }
  }
  if (this->Options.Screenshot.empty() && !this->Options.Quit)
  {
    return;
  }
  // Let the views draw what the script made before the picture is taken.
  QTimer::singleShot(100,
    this,
    [this]()
    {
      if (!this->Options.Screenshot.empty() && !this->SaveWindowPicture(this->Options.Screenshot))
      {
        std::fprintf(
          stderr, "Vemora: could not write the picture %s\n", this->Options.Screenshot.c_str());
        this->ExitCode = 1;
      }
      if (this->Options.Quit)
      {
        QApplication::exit(this->ExitCode);
      }
    });
}

bool CVemoraApp::SaveWindowPicture(const std::string& path) const
{
  if (!this->Frame || path.empty())
  {
    return false;
  }
  const QImage picture = this->Frame->grab().toImage();
  const std::string temporary = path + ".tmp" + std::to_string(getpid()) + ".png";
  if (picture.isNull() || !picture.save(QString::fromStdString(temporary), "PNG") ||
    std::rename(temporary.c_str(), path.c_str()) != 0)
  {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}
