#include "vBatchRun.h"

#include "vBatchOptions.h"
#include "vDisplay.h"

#include "CT4K2EXE.h"

#include "CVemoraCP.h"
#include "CVemoraCPEXE.h"
#include "vRendererManager.h"
#include "vScreenshot.h"

#include "vProgress.h"
#include "vUserPrompt.h"

#include <vtkRenderWindow.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::string vBatchRun::ForTerminal(const std::string& reply)
{
  std::string text;
  text.reserve(reply.size());
  for (size_t i = 0; i < reply.size(); ++i)
  {
    if (reply[i] == '\r' && i + 1 < reply.size() && reply[i + 1] == '\n')
    {
      continue;
    }
    text += reply[i];
  }
  return text;
}

namespace
{
/** Progress on standard error: "Reading head.qv: 42%", rewritten in place, ended by a line break.
 */
class vTextProgress : public vProgress
{
public:
  ~vTextProgress() override
  {
    if (vProgress::Get() == this)
    {
      vProgress::Install(nullptr);
    }
  }
  void Begin(const std::string& text) override
  {
    this->Text = text;
    this->Shown = false;
  }
  bool Update(double fraction) override
  {
    if (fraction >= 0)
    {
      std::fprintf(stderr, "\r%s: %3.0f%%", this->Text.c_str(), fraction * 100.0);
    }
    else
    {
      std::fprintf(stderr, "\r%s ...", this->Text.c_str());
    }
    std::fflush(stderr);
    this->Shown = true;
    return true;
  }
  void End() override
  {
    if (this->Shown)
    {
      std::fprintf(stderr, "\r%s: done\n", this->Text.c_str());
    }
  }

private:
  std::string Text;
  bool Shown = false;
};

/**
 * Runs the script: "-" is standard input; a FIFO or a terminal is read line by line as the lines
 * arrive (`RunScriptFromStream`), like standard input; anything else goes the way the menu runs
 * script files.
 */
int RunScript(CT4K2EXE& interpreter, const std::string& script)
{
  if (script == "-")
  {
    return interpreter.RunScriptFromStream(STDIN_FILENO, std::string());
  }
  struct stat info;
  if (stat(script.c_str(), &info) == 0 && (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode)))
  {
    const int descriptor = ::open(script.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (descriptor >= 0 && (S_ISFIFO(info.st_mode) || isatty(descriptor)))
    {
      const int result = interpreter.RunScriptFromStream(descriptor, script);
      ::close(descriptor);
      return result;
    }
    if (descriptor >= 0)
    {
      ::close(descriptor);
    }
  }
  return interpreter.RunScriptFromUI(script);
}

/** The folder the program was started in; "" when it cannot be told. */
std::string StartFolder()
{
  char* folder = getcwd(nullptr, 0);
  std::string text = folder ? folder : "";
  std::free(folder);
  return text;
}
} // namespace

int vBatchRun::Run(const vBatchOptions& options)
{
  vScriptedUserPrompt* prompt = vGetDefaultUserPrompt();
  prompt->SetEcho(true);
  prompt->SetStandingAnswer(options.Yes);
  // Progress of long reads only when asked for: a line on standard error, rewritten in place.
  vTextProgress progress;
  if (options.Progress)
  {
    vProgress::Install(&progress);
  }

  CVemoraCP facade;
  facade.UIInit();
  // Relative paths of the script start where the program was started, as with any command-line
  // tool (the configured folder of the workstation is for the window).
  const std::string start = StartFolder();
  if (!start.empty())
  {
    facade.SetCurDir(start);
  }
  CVemoraCPEXE* engine = facade.GetEXE();
  // Rendering needs an X display (xvfb-run gives one). Without one that answers there is no
  // viewing tab: the script still runs, and commands that need a viewer answer that there is
  // none.
  std::string why;
  const bool canRender = vCanReachDisplay(why);
  if (!canRender)
  {
    std::fprintf(
      stderr, "Vemora: no X display, so no viewing tab (run under xvfb-run to render)\n");
  }
  const int tab = canRender ? engine->CreateViewingTab() : -1;
  vtkRenderWindow* window = tab >= 0 ? engine->GetRenderers()->GetRenderWindow(tab) : nullptr;
  if (window)
  {
    window->SetSize(options.Width, options.Height);
  }
  facade.RunModuleRoutine();

  int result = 0;
  {
    CT4K2EXE interpreter;
    interpreter.SetController(&facade);
    interpreter.SetStopOnError(!options.KeepGoing);
    interpreter.SetErrorRepliesFail(true);
    std::string starter = interpreter.GetStarter();
    interpreter.SetLineObserver(
      [&](int, const std::string& text, int, const std::string& reply)
      {
        std::string out = starter + text + "\n" + ForTerminal(reply);
        if (!reply.empty() && out.back() != '\n')
        {
          out += '\n'; // a module's reply comes without a line end
        }
        std::fwrite(out.data(), 1, out.size(), stdout);
        std::fflush(stdout);
        starter = interpreter.GetStarter();
      });
    // Files named before the script are opened first, each as an "open" line of the script.
    for (const std::string& file : options.Files)
    {
      std::vector<std::string> parameters = { file };
      const int opened = interpreter.ProcCommand("open", parameters);
      const std::string reply = interpreter.GetLastMessage();
      std::string out = starter;
      out += "open '";
      out += file;
      out += "\n";
      out += ForTerminal(reply);
      std::fwrite(out.data(), 1, out.size(), stdout);
      std::fflush(stdout);
      const bool failed = opened != 0 || reply.compare(0, 5, "error") == 0;
      if (failed && !options.KeepGoing)
      {
        std::fprintf(stderr, "Vemora: %s could not be opened\n", file.c_str());
        return 1;
      }
      result = failed && result == 0 ? 1 : result;
    }
    const int scriptResult = RunScript(interpreter, options.Script);
    result = result != 0 ? result : scriptResult;
  }

  if (!options.Screenshot.empty())
  {
    std::string error;
    if (!vScreenshot::Write(window, options.Screenshot, 1, error))
    {
      std::fprintf(stderr,
        "Vemora: could not write the picture %s (%s)\n",
        options.Screenshot.c_str(),
        error.c_str());
      if (result == 0)
      {
        result = 1;
      }
    }
  }
  return result;
}
