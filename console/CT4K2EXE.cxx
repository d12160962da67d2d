#include "CT4K2EXE.h"

#include "private/vScriptLineReader.h"
#include "vCommandLine.h"

#include "vInstallation.h"
#include "vTextFile.h"
#include "vUserPrompt.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <new>

namespace
{
using Parameters = std::vector<std::string>;

/** A word of the command set (and its other spelling) with what carries it out. */
struct ConsoleCommand
{
  const char* Word;
  const char* Alias; // null without another spelling
  int (*Run)(CT4K2EXE& console, const Parameters& parameters);
};

const ConsoleCommand ConsoleCommands[] = {
  { "ver", nullptr, [](CT4K2EXE& c, const Parameters&) { return c.GetVersion(); } },
  { "pwd", nullptr, [](CT4K2EXE& c, const Parameters&) { return c.GetCurDir(); } },
  { "dir", "ls", [](CT4K2EXE& c, const Parameters&) { return c.GetDir(); } },
  { "cd", nullptr, [](CT4K2EXE& c, const Parameters& p) { return c.CD(p); } },
  { "clear", "clr", [](CT4K2EXE& c, const Parameters& p) { return c.Clear(p); } },
  { "ws", nullptr, [](CT4K2EXE& c, const Parameters&) { return c.GetVar(); } },
  { "open", "load", [](CT4K2EXE& c, const Parameters& p) { return c.Open(p); } },
  { "rm", "remove", [](CT4K2EXE& c, const Parameters& p) { return c.Remove(p); } },
  { "hide", nullptr, [](CT4K2EXE& c, const Parameters& p) { return c.Hide(p); } },
  { "show", nullptr, [](CT4K2EXE& c, const Parameters& p) { return c.Show(p); } },
  { "new", nullptr, [](CT4K2EXE& c, const Parameters& p) { return c.New(p); } },
  { "surface", "sf", [](CT4K2EXE& c, const Parameters& p) { return c.ExtractSurface(p); } },
  { "el", "enlarge", [](CT4K2EXE& c, const Parameters& p) { return c.Enlarge(p); } },
  { "rc", nullptr, [](CT4K2EXE& c, const Parameters& p) { return c.ResetCamera(p); } },
  { "mc", nullptr, [](CT4K2EXE& c, const Parameters& p) { return c.vtkMc(p); } },
  { "residual", nullptr, [](CT4K2EXE& c, const Parameters& p) { return c.vtkSurfDist(p); } },
  { "transform", nullptr, [](CT4K2EXE& c, const Parameters& p) { return c.Transform(p); } },
  { "set", nullptr, [](CT4K2EXE& c, const Parameters& p) { return c.Set(p); } },
  { "screenshot", nullptr, [](CT4K2EXE& c, const Parameters& p) { return c.Screenshot(p); } },
  { "save", nullptr, [](CT4K2EXE& c, const Parameters& p) { return c.SaveData(p); } },
};

const ConsoleCommand* FindConsoleCommand(const std::string& word)
{
  for (const ConsoleCommand& command : ConsoleCommands)
  {
    if (word == command.Word || (command.Alias && word == command.Alias))
    {
      return &command;
    }
  }
  return nullptr;
}

/** Whether a reply reports a failure: it begins with "error" (any letter case) or "errror". */
bool IsErrorReply(const std::string& reply)
{
  const auto startsWith = [&reply](const char* word)
  {
    const size_t n = std::strlen(word);
    if (reply.size() < n)
    {
      return false;
    }
    for (size_t i = 0; i < n; ++i)
    {
      if (std::tolower(static_cast<unsigned char>(reply[i])) != word[i])
      {
        return false;
      }
    }
    return true;
  };
  return startsWith("error") || startsWith("errror");
}

/** The reply when a script line does not fit into the memory left. */
const char* const ScriptMemoryError = "error: not enough memory to read the script";

/** A word that can name a script file: no folder separator, no NUL, not "." or "..". */
bool CanNameScript(const std::string& name)
{
  return !name.empty() && name.find('/') == std::string::npos &&
    name.find('\0') == std::string::npos && name != "." && name != "..";
}
} // namespace

CT4K2EXE::CT4K2EXE()
{
  this->LoadHistory();
}

CT4K2EXE::~CT4K2EXE()
{
  this->UpdateHistory();
}

int CT4K2EXE::GetVersion()
{
  return this->Reply(0, this->version);
}

void CT4K2EXE::PreprocCmdLine(std::string line, std::string& word, std::vector<std::string>& params)
{
  vCommandLine::SplitQuoted(line, word, params);
}

std::string CT4K2EXE::GetUsefulContent(const std::string& text)
{
  std::string result = vCommandLine::Trim(text);
  if (!result.empty() && result.front() == '\'')
  {
    result.erase(0, 1);
  }
  if (!result.empty() && result.back() == '\'')
  {
    result.pop_back();
  }
  return result;
}

int CT4K2EXE::ProcCommand(std::string word, std::vector<std::string>& parameters)
{
  try
  {
    return this->DispatchCommand(word, parameters);
  }
  catch (const std::bad_alloc&)
  {
    // Every command leaves the workspace as it was when it cannot finish; the user is told why.
    try
    {
      this->lastMessage =
        "error: not enough memory in command '" + vCommandLine::Trim(word) + "'\r\n";
    }
    catch (const std::bad_alloc&)
    {
      this->lastMessage = "error: not enough memory\r\n";
    }
    return OutOfMemory;
  }
}

int CT4K2EXE::DispatchCommand(std::string word, std::vector<std::string>& parameters)
{
  this->lastMessage.clear();
  word = vCommandLine::Trim(word);
  if (word.empty())
  {
    return 0;
  }

  // A line the module refused is still offered to scripts and built-in words; when none takes
  // it, the module's own reply is the answer (it says what was wrong with the line).
  bool moduleRefused = false;
  int moduleResult = 0;
  std::string moduleReply;
  if (this->activeModule)
  {
    if (word == "exit" || word == "quit")
    {
      return this->EndModule();
    }
    moduleResult = this->ModuleCommand(word, parameters);
    if (moduleResult == 0)
    {
      return 0;
    }
    moduleRefused = true;
    moduleReply = this->lastMessage;
  }

  this->lastMessage.clear();
  bool found = false;
  int result = this->RunNamedScript(word, found);
  if (found)
  {
    return result;
  }

  this->lastMessage.clear();
  if (const ConsoleCommand* command = FindConsoleCommand(word))
  {
    result = command->Run(*this, parameters);
  }
  else if (word == "info" || word == "see")
  {
    if (parameters.empty())
    {
      this->lastMessage = "usage: info/see [module]|[ModuleName]|[VariableName]...";
      result = 1;
    }
    else
    {
      result = this->ShowInfo(parameters);
    }
  }
  else if (!this->activeModule && this->FindModuleIndex(word) >= 0)
  {
    result = this->StartModule(word);
  }
  else if (moduleRefused && !moduleReply.empty())
  {
    this->lastMessage = moduleReply;
    result = moduleResult;
  }
  else
  {
    this->lastMessage = "error: undefined variable or function";
    result = moduleRefused ? moduleResult : 1;
  }

  if (!this->lastMessage.empty())
  {
    this->lastMessage += "\r\n";
  }
  return result;
}

int CT4K2EXE::EndModule()
{
  this->starter = ">> ";
  this->activeModule = nullptr;
  return 0;
}

int CT4K2EXE::ModuleCommand(const std::string& word, const std::vector<std::string>& parameters)
{
  using CommandFunction = int (*)(char*);
  using MessageFunction = const char* (*)();
  auto command = reinterpret_cast<CommandFunction>(this->LookUpModuleExport("Command"));
  auto message = reinterpret_cast<MessageFunction>(this->LookUpModuleExport("GetLastMessage"));
  if (!command)
  {
    return this->Reply(5, "error: undefined module function");
  }
  if (parameters.size() > static_cast<size_t>(MaxModuleParameters))
  {
    return this->Reply(4, "error: the number of parameters is beyond the limit");
  }
  std::string line = word;
  for (const std::string& parameter : parameters)
  {
    line += ' ';
    line += parameter;
  }
  // The line is handed over as it is (its characters are NUL-terminated and writable): a long
  // line is not copied once more.
  int result = command(line.data());
  if (message)
  {
    const char* reply = message();
    this->lastMessage = reply ? reply : "";
  }
  return result;
}

int CT4K2EXE::ShowCommandList()
{
  if (this->LookUpModuleExport("GetCommandList"))
  {
    return 0;
  }
  return this->Reply(5, "error: undefined module function");
}

std::string CT4K2EXE::GetScriptFolder() const
{
  return vInstallation::GetSubFolder(this->scriptFolder);
}

int CT4K2EXE::RunScript(const std::string& name)
{
  bool found = false;
  int result = this->RunNamedScript(name, found);
  return found ? result : 1;
}

int CT4K2EXE::RunNamedScript(const std::string& name, bool& found)
{
  this->lastMessage.clear();
  found = false;
  if (!CanNameScript(name))
  {
    return 1;
  }
  const std::string path = this->GetScriptFolder() + "/" + name + this->scriptExtension;
  if (!vInstallation::IsFile(path))
  {
    return 1;
  }
  vScriptLineReader reader(path);
  if (!reader.IsOpen())
  {
    return 1;
  }
  found = true;
  if (this->scriptDepth >= MaxScriptDepth)
  {
    this->loopAborted = true;
    return this->Reply(9, "error: infinite loop detected");
  }

  ++this->scriptDepth;
  int result = 0;
  std::string line;
  std::string word;
  std::vector<std::string> parameters;
  // A line too long for the memory left (to read or to split) ends the script.
  bool outOfMemory = false;
  try
  {
    while (reader.Next(line))
    {
      parameters.clear();
      std::string text = vCommandLine::Trim(line);
      if (text.empty() || text[0] == '#')
      {
        continue;
      }
      vCommandLine::SplitPlain(text, word, parameters);
      if (word == name)
      {
        result = 9;
        this->lastMessage = "error: infinite loop detected";
        continue;
      }
      result = this->ProcCommand(word, parameters);
      if (this->loopAborted)
      {
        // A cycle between scripts hit the depth bound: unwind every script of the cycle.
        result = 9;
        this->lastMessage = "error: infinite loop detected";
        break;
      }
    }
  }
  catch (const std::bad_alloc&)
  {
    outOfMemory = true;
  }
  if (outOfMemory || reader.OutOfMemory())
  {
    result = this->Reply(OutOfMemory, ScriptMemoryError);
  }
  --this->scriptDepth;
  if (this->scriptDepth == 0)
  {
    this->loopAborted = false;
  }
  return result;
}

int CT4K2EXE::RunScriptFromUI(const std::string& path)
{
  this->lastMessage.clear();
  // Only regular files: a FIFO would wait for a writer and a device may never end.
  if (!vInstallation::IsFile(path))
  {
    vUserPrompt::Get()->Inform("Script file does not exist!");
    return 1;
  }
  vScriptLineReader reader(path);
  if (!reader.IsOpen())
  {
    vUserPrompt::Get()->Inform("Script file does not exist!");
    return 1;
  }
  return this->RunLines(reader, ScriptName(path));
}

int CT4K2EXE::RunScriptFromStream(int descriptor, const std::string& path)
{
  this->lastMessage.clear();
  vScriptLineReader reader(descriptor);
  if (!reader.IsOpen())
  {
    vUserPrompt::Get()->Inform("Script file does not exist!");
    return 1;
  }
  return this->RunLines(reader, path.empty() ? std::string() : ScriptName(path));
}

std::string CT4K2EXE::ScriptName(const std::string& path)
{
  std::string name = path;
  size_t slash = name.find_last_of("/\\");
  if (slash != std::string::npos)
  {
    name = name.substr(slash + 1);
  }
  if (name.size() >= 2 && name.compare(name.size() - 2, 2, ".v") == 0)
  {
    name.erase(name.size() - 2);
  }
  return name;
}

int CT4K2EXE::RunLines(vScriptLineReader& reader, const std::string& name)
{
  if (this->scriptDepth >= MaxScriptDepth)
  {
    this->loopAborted = true;
    return this->Reply(9, "error: infinite loop detected");
  }

  ++this->scriptDepth;
  int result = 0;
  int firstFailure = 0;
  int counter = 0;
  std::string line;
  std::string word;
  std::vector<std::string> parameters;
  bool outOfMemory = false;
  try
  {
    for (; reader.Next(line); ++counter)
    {
      parameters.clear();
      std::string text = vCommandLine::Trim(line);
      if (text.empty() || text[0] == '#')
      {
        continue;
      }
      PreprocCmdLine(text, word, parameters);
      if (!name.empty() && word == name)
      {
        result = 9;
        vUserPrompt::Get()->Inform("Error: infinite loop detected in the script file");
        continue;
      }
      result = this->ProcCommand(word, parameters);
      if (this->loopAborted && result == 0)
      {
        result = 9;
        this->lastMessage = "error: infinite loop detected\r\n";
      }
      if (result == 0 && this->errorRepliesFail && IsErrorReply(this->lastMessage))
      {
        result = 1; // a failure reported by its reply alone still fails the line
      }
      if (this->lineObserver)
      {
        this->lineObserver(counter, text, result, this->lastMessage);
      }
      if (result != 0)
      {
        char number[32];
        std::snprintf(number, sizeof(number), "Error: Line %d, ", counter);
        vUserPrompt::Get()->Inform(number + this->lastMessage);
        if (this->stopOnError)
        {
          break;
        }
        firstFailure = firstFailure != 0 ? firstFailure : result;
      }
    }
  }
  catch (const std::bad_alloc&)
  {
    outOfMemory = true;
  }
  if (outOfMemory || reader.OutOfMemory())
  {
    // A line too long for the memory left ends the script: the lines after it are not run.
    result = this->Reply(OutOfMemory, ScriptMemoryError);
    if (this->lineObserver)
    {
      this->lineObserver(counter, std::string(), result, this->lastMessage);
    }
    char number[32];
    std::snprintf(number, sizeof(number), "Error: Line %d, ", counter);
    vUserPrompt::Get()->Inform(number + this->lastMessage);
    firstFailure = firstFailure != 0 ? firstFailure : result;
  }
  if (!this->stopOnError && firstFailure != 0)
  {
    result = firstFailure;
  }
  --this->scriptDepth;
  if (this->scriptDepth == 0)
  {
    this->loopAborted = false;
  }
  return result;
}

std::string CT4K2EXE::GetCommandFromBuffer(int index) const
{
  if (index < 0 || index >= this->GetBufferSize())
  {
    return std::string();
  }
  return this->commandBuffer[static_cast<size_t>(index)];
}

void CT4K2EXE::UpdateCommandBuffer(const std::string& line)
{
  this->commandBuffer.insert(this->commandBuffer.begin(), line);
  while (this->GetBufferSize() >= this->maxBufferSize)
  {
    this->commandBuffer.pop_back();
  }
  if (this->bufferPointer >= this->GetBufferSize())
  {
    this->bufferPointer = this->GetBufferSize() - 1;
  }
  this->bufferChanged = true;
}

std::string CT4K2EXE::GetNextCommand()
{
  const int size = this->GetBufferSize();
  if (size == 0)
  {
    this->bufferPointer = -1;
    return std::string();
  }
  ++this->bufferPointer;
  if (this->bufferPointer >= size)
  {
    this->bufferPointer = 0;
  }
  return this->commandBuffer[static_cast<size_t>(this->bufferPointer)];
}

std::string CT4K2EXE::GetPreviousCommand()
{
  const int size = this->GetBufferSize();
  if (size == 0)
  {
    this->bufferPointer = -1;
    return std::string();
  }
  --this->bufferPointer;
  if (this->bufferPointer < 0 || this->bufferPointer >= size)
  {
    this->bufferPointer = size - 1;
  }
  return this->commandBuffer[static_cast<size_t>(this->bufferPointer)];
}

std::string CT4K2EXE::GetNextCommand(const std::string& prefix)
{
  const int size = this->GetBufferSize();
  auto matches = [&](int i)
  { return this->commandBuffer[static_cast<size_t>(i)].compare(0, prefix.size(), prefix) == 0; };
  int found = -1;
  for (int i = this->bufferPointer + 1; i < size && found < 0; ++i)
  {
    found = matches(i) ? i : -1;
  }
  for (int i = 0; i < this->bufferPointer && found < 0; ++i)
  {
    found = matches(i) ? i : -1;
  }
  if (found >= 0)
  {
    this->bufferPointer = found;
  }
  return this->GetCommandFromBuffer(this->bufferPointer);
}

std::string CT4K2EXE::GetPreviousCommand(const std::string& prefix)
{
  const int size = this->GetBufferSize();
  auto matches = [&](int i)
  { return this->commandBuffer[static_cast<size_t>(i)].compare(0, prefix.size(), prefix) == 0; };
  int found = -1;
  for (int i = this->bufferPointer - 1; i >= 0 && found < 0; --i)
  {
    found = matches(i) ? i : -1;
  }
  for (int i = size - 1; i > this->bufferPointer && found < 0; --i)
  {
    found = matches(i) ? i : -1;
  }
  if (found >= 0)
  {
    this->bufferPointer = found;
  }
  return this->GetCommandFromBuffer(this->bufferPointer);
}

std::string CT4K2EXE::GetHistoryPath() const
{
  return vInstallation::GetStateFolder("History") + "/" + this->historyFile;
}

void CT4K2EXE::LoadHistory()
{
  this->commandBuffer.clear();
  this->bufferPointer = -1;
  this->bufferChanged = false;
  std::string contents;
  bool truncated = false;
  if (!vTextFile::Read(this->GetHistoryPath(), contents, MaxHistoryBytes, &truncated))
  {
    return;
  }
  // The file is newest first. Only what the buffer can hold is kept, and a line cut by the size
  // limit is dropped rather than kept half.
  size_t start = 0;
  const size_t keep = static_cast<size_t>(this->maxBufferSize - 1);
  while (start < contents.size() && this->commandBuffer.size() < keep)
  {
    size_t end = contents.find('\n', start);
    if (end == std::string::npos)
    {
      if (!truncated)
      {
        this->commandBuffer.push_back(contents.substr(start));
      }
      break;
    }
    size_t length = end - start;
    if (length > 0 && contents[end - 1] == '\r')
    {
      --length;
    }
    this->commandBuffer.push_back(contents.substr(start, length));
    start = end + 1;
  }
}

void CT4K2EXE::UpdateHistory()
{
  if (this->commandBuffer.empty() || !this->bufferChanged)
  {
    return;
  }
  const std::string folder = vInstallation::GetStateFolder("History");
  if (!vInstallation::MakeFolder(folder))
  {
    return;
  }
  std::string text;
  for (const std::string& entry : this->commandBuffer)
  {
    // One entry is one line of the file: a line break inside an entry would split it in two.
    std::string line = entry;
    std::replace(line.begin(), line.end(), '\n', ' ');
    std::replace(line.begin(), line.end(), '\r', ' ');
    text += line;
    text += "\r\n";
  }
  if (vTextFile::WriteAtomically(this->GetHistoryPath(), text))
  {
    this->bufferChanged = false;
  }
}
