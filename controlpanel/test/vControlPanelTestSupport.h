#ifndef vControlPanelTestSupport_h
#define vControlPanelTestSupport_h

#include "vTempHome.h"
#include "vUserPrompt.h"

#include <string>

/** Where the tests' own small plug-ins are built. */
inline std::string vTestPlugin(const std::string& name)
{
  return std::string(VEMORA_CP_TEST_PLUGIN_DIR) + "/" + name + ".so";
}

/** A plug-in shipped with the system, as built into the installation folder. */
inline std::string vShippedPlugin(const std::string& folder, const std::string& name)
{
  return std::string(VEMORA_BIN_DIR) + "/" + folder + "/" + name + ".so";
}

/** The default scripted prompt, emptied and quiet, for the life of a test. */
class vQuietPrompt
{
public:
  vQuietPrompt()
  {
    vUserPrompt::Install(nullptr);
    this->Prompt = vGetDefaultUserPrompt();
    this->Prompt->Reset();
    this->Prompt->SetEcho(false);
  }
  ~vQuietPrompt()
  {
    this->Prompt->Reset();
    this->Prompt->SetEcho(true);
  }
  vQuietPrompt(const vQuietPrompt&) = delete;
  vQuietPrompt& operator=(const vQuietPrompt&) = delete;
  vScriptedUserPrompt* operator->() const { return this->Prompt; }
  /** How many times a text was shown. */
  int Count(const std::string& text) const
  {
    int n = 0;
    for (const std::string& shown : this->Prompt->GetTexts())
    {
      n += shown == text ? 1 : 0;
    }
    return n;
  }

private:
  vScriptedUserPrompt* Prompt;
};

#endif
