#include "vUserPrompt.h"

#include <cstdio>

namespace
{
vUserPrompt* CurrentPrompt = nullptr; // borrowed: installed by the GUI or a test
} // namespace

vUserPrompt::~vUserPrompt() = default;

vScriptedUserPrompt* vGetDefaultUserPrompt()
{
  static vScriptedUserPrompt defaultPrompt;
  return &defaultPrompt;
}

vUserPrompt* vUserPrompt::Get()
{
  return CurrentPrompt ? CurrentPrompt : vGetDefaultUserPrompt();
}

void vUserPrompt::Install(vUserPrompt* prompt)
{
  CurrentPrompt = prompt;
}

void vScriptedUserPrompt::Inform(const std::string& text)
{
  this->Records.push_back({ Information, text });
  if (this->Echo)
  {
    std::fprintf(stderr, "%s\n", text.c_str());
  }
}

bool vScriptedUserPrompt::AskYesNo(const std::string& text)
{
  this->Records.push_back({ Question, text });
  bool answer = this->StandingAnswer;
  if (!this->Answers.empty())
  {
    answer = this->Answers.front();
    this->Answers.pop_front();
  }
  if (this->Echo)
  {
    std::fprintf(stderr, "%s [%s]\n", text.c_str(), answer ? "Yes" : "No");
  }
  return answer;
}

std::string vScriptedUserPrompt::NextPath()
{
  if (this->Paths.empty())
  {
    return std::string();
  }
  std::string path = this->Paths.front();
  this->Paths.pop_front();
  return path;
}

std::string vScriptedUserPrompt::AskOpenFile(const std::string& filter, const std::string&)
{
  this->Records.push_back({ OpenFile, filter });
  return this->NextPath();
}

std::string vScriptedUserPrompt::AskSaveFile(const std::string& filter, const std::string&)
{
  this->Records.push_back({ SaveFile, filter });
  return this->NextPath();
}

std::string vScriptedUserPrompt::AskFolder(const std::string& folder)
{
  this->Records.push_back({ Folder, folder });
  return this->NextPath();
}

std::vector<std::string> vScriptedUserPrompt::GetTexts() const
{
  std::vector<std::string> texts;
  texts.reserve(this->Records.size());
  for (const Record& record : this->Records)
  {
    texts.push_back(record.Text);
  }
  return texts;
}

void vScriptedUserPrompt::Reset()
{
  this->Records.clear();
  this->Answers.clear();
  this->Paths.clear();
  this->StandingAnswer = false;
}
