#include "vBatchRun.h"

#include "vBatchOptions.h"

#include "CT4K2EXE.h"

#include "CVemoraCP.h"
#include "CVemoraCPEXE.h"
#include "vRendererManager.h"

#include "vUserPrompt.h"

#include <vtkNew.h>
#include <vtkPNGWriter.h>
#include <vtkRenderWindow.h>
#include <vtkWindowToImageFilter.h>

#include <cstdio>
#include <cstdlib>
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
/** Writes the window's picture as a PNG, atomically; false when it cannot. */
bool WritePng(vtkRenderWindow* window, const std::string& path)
{
  if (!window || path.empty())
  {
    return false;
  }
  // The grab renders the window once itself, before it reads the picture.
  vtkNew<vtkWindowToImageFilter> grab;
  grab->SetInput(window);
  grab->ReadFrontBufferOff();
  grab->Update();
  // The picture goes to a temporary file beside the target and replaces it only when whole.
  const std::string temporary = path + ".tmp" + std::to_string(getpid()) + ".png";
  vtkNew<vtkPNGWriter> writer;
  writer->SetInputConnection(grab->GetOutputPort());
  writer->SetFileName(temporary.c_str());
  writer->Write();
  if (writer->GetErrorCode() != 0 || std::rename(temporary.c_str(), path.c_str()) != 0)
  {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}
} // namespace

int vBatchRun::Run(const vBatchOptions& options)
{
  vScriptedUserPrompt* prompt = vGetDefaultUserPrompt();
  prompt->SetEcho(true);
  prompt->SetStandingAnswer(options.Yes);

  CVemoraCP facade;
  facade.UIInit();
  CVemoraCPEXE* engine = facade.GetEXE();
  // Rendering needs an X display (xvfb-run gives one). Without it there is no viewing tab: the
  // script still runs, and commands that need a viewer answer that there is none.
  const char* display = std::getenv("DISPLAY");
  const bool canRender = display && *display;
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
    result = interpreter.RunScriptFromUI(options.Script);
  }

  if (!options.Screenshot.empty())
  {
    if (!WritePng(window, options.Screenshot))
    {
      std::fprintf(stderr, "Vemora: could not write the picture %s\n", options.Screenshot.c_str());
      if (result == 0)
      {
        result = 1;
      }
    }
  }
  return result;
}
