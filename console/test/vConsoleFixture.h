#ifndef vConsoleFixture_h
#define vConsoleFixture_h

#include "CT4K2EXE.h"

#include "CVemoraCP.h"

#include "vTempHome.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

/**
 * An interpreter on a whole control panel in a temporary installation folder. The modules named
 * in `Start` are copied from the test modules into its Modules folder; with a viewing tab the
 * test needs a display.
 */
class vConsoleFixture : public ::testing::Test
{
protected:
  /** Modules: "Echo", "Mute", "Viewer3D" (tests), "Scene", "Quadview"; `tab` makes one off-screen
   * viewing tab first. */
  void Start(const std::vector<std::string>& modules, bool tab);
  void TearDown() override;

  /** Runs one command; the reply is in `Reply()`. */
  int Do(const std::string& word, std::vector<std::string> parameters = {});
  /** Splits a line as the console does, then runs it. */
  int Line(const std::string& line);
  std::string Reply() const { return this->Interpreter->GetLastMessage(); }

  /** Writes the demo data (a ring model, a point set and a volume) into `Data()`. */
  std::string Data() const { return this->Home.Sub("data"); }

  vTempHome Home;
  std::unique_ptr<CVemoraCP> Facade;
  std::unique_ptr<CT4K2EXE> Interpreter;
};

#endif
