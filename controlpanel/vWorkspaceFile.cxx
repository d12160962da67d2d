#include "vWorkspaceFile.h"

#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"

#include "vDataResource.h"
#include "vDataResourceFake.h"
#include "vLayer.h"
#include "vViewer.h"
#include "vVolumeResource.h"

#include "vTextFile.h"
#include "vUserPrompt.h"

namespace
{
/** One load line per item of a collection, in collection order. */
std::string LoadLines(vDataResourceFake* collection)
{
  std::string text;
  if (!collection)
  {
    return text;
  }
  for (int i = 0; i < collection->GetNumberOfItems(); ++i)
  {
    text += "load '" + collection->GetFilename(i) + "'\n";
  }
  return text;
}
} // namespace

std::string vWorkspaceFile::GetText(CVemoraCPEXE* engine)
{
  std::string text = "# workspace created by QOVA\n";
  text += "# Visit the Vemora documentation (docs/ of its source tree) for more information\n\n";
  text += "# MODELS\n";
  text += LoadLines(engine ? engine->GetModel() : nullptr);
  text += "# VOLUMES\n";
  text += LoadLines(engine ? engine->GetVolume() : nullptr);
  text += "# activated component\n";
  CVemoraModules* modules = engine ? engine->GetModules() : nullptr;
  const int active = modules ? modules->GetActivatedModuleId() : -1;
  if (active >= 0)
  {
    text += modules->GetModuleName(active) + "\n";
    text += "coolstart\n";
    text += "# Layers\n";
    if (vViewer* viewer = modules->GetViewer())
    {
      for (int i = 0; i < viewer->GetNumberOfItems(); ++i)
      {
        if (vLayer* layer = viewer->GetInput(i))
        {
          text += layer->ToV() + "\n";
        }
      }
    }
  }
  else
  {
    text += "# No component\n";
  }
  text += "# THE END";
  return text;
}

bool vWorkspaceFile::Write(CVemoraCPEXE* engine, const std::string& path)
{
  return vTextFile::WriteAtomically(path, GetText(engine));
}

int CVemoraCPEXE::SaveWorkspace()
{
  const std::string path = vUserPrompt::Get()->AskSaveFile(vWorkspaceFile::GetFilter(), "");
  // Written whole or not at all: a failure leaves an earlier file as it was.
  if (!path.empty() && !vWorkspaceFile::Write(this, path))
  {
    vUserPrompt::Get()->Inform("error: the workspace could not be saved to " + path);
    return WriteFailed;
  }
  return 0;
}
