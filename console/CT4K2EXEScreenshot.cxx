// The console's "screenshot" word: a picture of the current viewing tab.
#include "CT4K2EXE.h"

#include "CVemoraCP.h"
#include "CVemoraCPEXE.h"

#include "vRendererManager.h"
#include "vScreenshot.h"

#include "vMemoryBudget.h"

#include <vtkRenderWindow.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

int CT4K2EXE::Screenshot(const std::vector<std::string>& parameters)
{
  if (parameters.empty() || parameters.size() > 2 || parameters[0].empty())
  {
    return this->Reply(7, "error: screenshot FILE [SCALE]");
  }
  long scale = 1;
  if (parameters.size() == 2)
  {
    char* end = nullptr;
    scale = std::strtol(parameters[1].c_str(), &end, 10);
    if (parameters[1].empty() || *end != '\0' || scale < 1 || scale > 8)
    {
      return this->Reply(16, "error: the scale must be a whole number from 1 to 8");
    }
  }
  CVemoraCPEXE* engine = this->controller ? this->controller->GetEXE() : nullptr;
  vtkRenderWindow* window = engine ? engine->GetRenderers()->GetRenderWindow() : nullptr;
  if (!window)
  {
    return this->Reply(17, "error: no viewing tab to take a picture of");
  }
  // The picture, and the image the PNG writer encodes from, are known before anything renders:
  // a picture that cannot fit is refused, not left to fail half-way in the renderer.
  const int* size = window->GetSize();
  const std::uint64_t pictureBytes = std::uint64_t(std::max(size[0], 1)) *
    std::uint64_t(std::max(size[1], 1)) * std::uint64_t(scale * scale) * 3 * 2;
  if (pictureBytes > vMemoryBudget::Available())
  {
    return this->RefuseForMemory("screenshot", "the picture", pictureBytes);
  }
  const std::string path = this->ResolvePath(parameters[0]);
  std::string error;
  if (!vScreenshot::Write(window, path, static_cast<int>(scale), error))
  {
    return this->Reply(1, "error: " + error);
  }
  return this->Reply(0, "picture saved to " + path);
}
