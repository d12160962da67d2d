#include "vConsoleFixture.h"

#include "vCommandLine.h"

#include "CVemoraCPEXE.h"

#include "vInstallation.h"

void vConsoleFixture::Start(const std::vector<std::string>& modules, bool tab)
{
  const std::string library = std::string(VOXLET_TEST_MODULE_DIR) + "/vTest";
  for (const std::string& module : modules)
  {
    if (module == "Scene" || module == "Quadview")
    {
      // The installation's own view modules.
      const std::string file = "v" + module + "Module.so";
      this->Home.CopyFile(std::string(VEMORA_BIN_DIR) + "/Modules/" + file, "Modules/" + file);
      continue;
    }
    const std::string file = module == "Viewer3D" ? "ViewerModule.so" : module + "Module.so";
    this->Home.CopyFile(library + file, "Modules/" + file);
  }
  // The demo data of the installation, copied so that tests may change it.
  vInstallation::MakeFolder(this->Data());
  for (const char* file : { "ring.vtk", "marks.vtk", "head.qv" })
  {
    this->Home.CopyFile(
      std::string(VEMORA_BIN_DIR) + "/local/demo/" + file, std::string("data/") + file);
  }
  this->Facade = std::make_unique<CVemoraCP>();
  this->Facade->UIInit();
  if (tab)
  {
    this->Facade->GetEXE()->CreateViewingTab();
  }
  this->Facade->RunModuleRoutine();
  this->Facade->SetCurDir(this->Data());
  this->Interpreter = std::make_unique<CT4K2EXE>();
  this->Interpreter->SetController(this->Facade.get());
}

void vConsoleFixture::TearDown()
{
  this->Interpreter.reset();
  this->Facade.reset();
}

int vConsoleFixture::Do(const std::string& word, std::vector<std::string> parameters)
{
  return this->Interpreter->ProcCommand(word, parameters);
}

int vConsoleFixture::Line(const std::string& line)
{
  std::string word;
  std::vector<std::string> parameters;
  vCommandLine::SplitConsole(line, word, parameters);
  return this->Interpreter->ProcCommand(word, parameters);
}
