// The program Vemora: the workstation's window, or a batch run of a script (--batch).
#include "CVemoraApp.h"
#include "vAppOptions.h"
#include "vApplication.h"
#include "vBatchOptions.h"
#include "vBatchRun.h"
#include "vDisplay.h"

#include "vSanitizerSupport.h"

#include <QVTKOpenGLNativeWidget.h>

#include <QSurfaceFormat>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
/** An exit status holds 8 bits: a result that does not fit (a module's own code) still fails. */
int ExitStatus(int result)
{
  return result >= 0 && result < 256 ? result : 255;
}

int RunBatch(int argc, char** argv)
{
  const vBatchOptions options = vBatchOptions::Parse(argc, argv);
  if (options.Help)
  {
    std::fputs(vBatchOptions::Usage().c_str(), stdout);
    return 0;
  }
  if (!options.Error.empty())
  {
    std::fprintf(stderr, "Vemora: %s\n\n%s", options.Error.c_str(), vBatchOptions::Usage().c_str());
    return 2;
  }
  return ExitStatus(vBatchRun::Run(options));
}

/**
 * Whether Qt can open a window: on X (the default platform here) the X server named by DISPLAY
 * must answer, or Qt would abort the process while it starts.
 */
bool HasDisplay(std::string& why)
{
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform && *platform && std::strncmp(platform, "xcb", 3) != 0)
  {
    return true; // offscreen, wayland...: Qt reports its own failures
  }
  return vCanReachDisplay(why);
}
} // namespace

int main(int argc, char** argv)
{
  vKeepOpenGLDriverLoadedForSanitizers();
  if (vAppOptions::IsBatch(argc, argv))
  {
    return RunBatch(argc, argv);
  }
  const vAppOptions options = vAppOptions::Parse(argc, argv);
  if (options.Help)
  {
    std::fputs(vAppOptions::Usage().c_str(), stdout);
    std::fputs(vBatchOptions::Usage().c_str(), stdout);
    return 0;
  }
  if (!options.Error.empty())
  {
    std::fprintf(stderr,
      "Vemora: %s\n\n%s%s",
      options.Error.c_str(),
      vAppOptions::Usage().c_str(),
      vBatchOptions::Usage().c_str());
    return 2;
  }
  std::string why;
  if (!HasDisplay(why))
  {
    std::fprintf(stderr,
      "Vemora: cannot open the window: %s.\n"
      "Run scripts without a window with --batch SCRIPT, or start the window under xvfb-run.\n",
      why.c_str());
    return 3;
  }

  QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat());
  vApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vemora"));
  QApplication::setApplicationVersion(QStringLiteral(VEMORA_VERSION));
  int result = 0;
  {
    CVemoraApp vemora;
    result = vemora.Run(options);
  }
  return ExitStatus(result);
}
