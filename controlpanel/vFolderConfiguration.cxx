#include "vFolderConfiguration.h"

#include "private/vConfigText.h"

#include "vInstallation.h"
#include "vTextFile.h"

namespace
{
const char* const SectionLine = "## [CurrentDirectory]";
const char* const SectionPrefix = "## [";
} // namespace

std::string vFolderConfiguration::DefaultPath()
{
  return vInstallation::GetStateFolder("SystemRegistry") + "/" + FileName();
}

std::string vFolderConfiguration::DefaultFolder()
{
  return vInstallation::GetUserHome();
}

bool vFolderConfiguration::AddRecentFolder(const std::string& folder)
{
  if (folder.empty() || folder.size() > MaximumLineLength || vConfigText::HasLineBreak(folder) ||
    static_cast<int>(this->Folders.size()) >= MaximumFolders)
  {
    return false;
  }
  for (const std::string& known : this->Folders)
  {
    if (known == folder)
    {
      return false;
    }
  }
  this->Folders.push_back(folder);
  return true;
}

bool vFolderConfiguration::Read(const std::string& path)
{
  std::string text;
  bool truncated = false;
  if (!vTextFile::Read(path, text, MaximumFileBytes, &truncated))
  {
    this->CurrentFolder = DefaultFolder();
    this->Folders.assign(1, this->CurrentFolder);
    return false;
  }
  std::vector<std::string> lines = vConfigText::SplitLines(text, MaximumLineLength);
  if (truncated && !lines.empty())
  {
    lines.pop_back(); // the cut may have fallen inside the last line
  }
  this->Folders.clear();
  std::size_t i = 0;
  while (i < lines.size())
  {
    if (!vConfigText::EqualsNoCase(lines[i], SectionLine))
    {
      ++i;
      continue;
    }
    ++i;
    if (i < lines.size() && !lines[i].empty() &&
      !vConfigText::StartsWithNoCase(lines[i], SectionPrefix))
    {
      this->CurrentFolder = lines[i];
    }
    for (; i < lines.size() && !vConfigText::StartsWithNoCase(lines[i], SectionPrefix); ++i)
    {
      if (!lines[i].empty() && static_cast<int>(this->Folders.size()) < MaximumFolders)
      {
        this->Folders.push_back(lines[i]);
      }
    }
  }
  return true;
}

std::string vFolderConfiguration::ToText() const
{
  std::string text = std::string(SectionLine) + "\n";
  if (!this->CurrentFolder.empty() && this->CurrentFolder.find('/') != std::string::npos &&
    !vConfigText::HasLineBreak(this->CurrentFolder))
  {
    text += this->CurrentFolder + "\n";
  }
  for (const std::string& folder : this->Folders)
  {
    if (!folder.empty() && !vConfigText::EqualsNoCase(folder, this->CurrentFolder) &&
      !vConfigText::HasLineBreak(folder))
    {
      text += folder + "\n";
    }
  }
  return text;
}

bool vFolderConfiguration::Write(const std::string& path) const
{
  return vTextFile::WriteAtomically(path, this->ToText());
}
