// An example analysis module for the Modules folder: it greets, counts the data sets the control
// panel adds to it and lists its commands. It needs no library of the workstation: the contract is
// a handful of plain C functions.
#include "vModuleContract.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace
{
std::string LastMessage; // returned by GetLastMessage; lives as long as the library
int DataSets = 0;
} // namespace

VEMORA_PLUGIN_EXPORT const char* GetModuleName()
{
  return "Hello"; // the word that starts the module in the console
}

VEMORA_PLUGIN_EXPORT const char* GetModuleVer()
{
  return "1.0.0";
}

VEMORA_PLUGIN_EXPORT const char* GetModuleDesc()
{
  return "Example module: greets and counts the data sets it was given";
}

VEMORA_PLUGIN_EXPORT int GetModuleTargetDataType()
{
  return 2 | 4; // models and image volumes
}

/**
 * One console line in module mode, "word arg1 arg2 ...". 0 means the module took the line; any
 * other result hands the line on to the console's own words.
 */
VEMORA_PLUGIN_EXPORT int Command(const char* text)
{
  const std::string line = text ? text : "";
  const std::string word = line.substr(0, line.find(' '));
  const std::string rest = word.size() < line.size() ? line.substr(word.size() + 1) : "";
  if (word == "greet")
  {
    LastMessage = "Hello, " + (rest.empty() ? std::string("world") : rest) + "!";
    return 0;
  }
  if (word == "add") // sent by the control panel with the name of a data set
  {
    ++DataSets;
    LastMessage.clear();
    return 0;
  }
  if (word == "count")
  {
    LastMessage = std::to_string(DataSets) + " data set(s)";
    return 0;
  }
  if (word == "coolstart") // sent by the control panel when a workspace starts the module
  {
    DataSets = 0;
    LastMessage.clear();
    return 0;
  }
  LastMessage = "Hello does not know '" + word + "'";
  return 1;
}

VEMORA_PLUGIN_EXPORT const char* GetLastMessage()
{
  return LastMessage.c_str();
}

VEMORA_PLUGIN_EXPORT const char* GetCommandList()
{
  return "greet [name], count";
}

VEMORA_PLUGIN_EXPORT void ReleaseMemory()
{
  LastMessage.clear();
  LastMessage.shrink_to_fit();
}
