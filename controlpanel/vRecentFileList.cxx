#include "vRecentFileList.h"

#include "private/vConfigText.h"

#include "vInstallation.h"
#include "vTextFile.h"

#include <vector>

std::string vRecentFileList::DefaultPath()
{
  return vInstallation::GetStateFolder("SystemRegistry") + "/" + FileName();
}

void vRecentFileList::Clear()
{
  for (int i = 0; i < NumberOfSlots; ++i)
  {
    this->Names[i].clear();
    this->Paths[i].clear();
  }
}

bool vRecentFileList::IsStorable(const std::string& name, const std::string& path)
{
  // A name holding "," would be cut there when read back; a line end would split the entry.
  return !name.empty() && name.size() <= MaximumLineLength && path.size() <= MaximumLineLength &&
    name.find(',') == std::string::npos && name[0] != '#' && !vConfigText::HasLineBreak(name) &&
    !vConfigText::HasLineBreak(path) && vConfigText::TrimBlanks(name) == name &&
    vConfigText::TrimBlanks(path) == path;
}

bool vRecentFileList::Read(const std::string& path)
{
  this->Clear();
  std::string text;
  bool truncated = false;
  if (!vTextFile::Read(path, text, MaximumFileBytes, &truncated))
  {
    return false;
  }
  std::vector<std::string> lines = vConfigText::SplitLines(text, MaximumLineLength);
  if (truncated && !lines.empty())
  {
    lines.pop_back();
  }
  int slot = 0;
  for (const std::string& raw : lines)
  {
    if (slot >= Limit)
    {
      break;
    }
    std::string line = vConfigText::TrimBlanks(raw);
    if (line.empty() || line[0] == '#')
    {
      continue;
    }
    std::size_t comma = line.find(',');
    if (comma == std::string::npos || comma == 0)
    {
      continue;
    }
    this->Names[slot] = line.substr(0, comma);
    this->Paths[slot] = line.substr(comma + 1);
    ++slot;
  }
  return true;
}

std::string vRecentFileList::ToText() const
{
  std::string text;
  for (int i = 0; i < NumberOfSlots; ++i)
  {
    if (!this->Names[i].empty())
    {
      text += this->Names[i] + "," + this->Paths[i] + "\n";
    }
  }
  return text;
}

bool vRecentFileList::Write(const std::string& path) const
{
  return vTextFile::WriteAtomically(path, this->ToText());
}

bool vRecentFileList::Update(const std::string& name, const std::string& path)
{
  if (!IsStorable(name, path) || this->Find(name) >= 0)
  {
    return false;
  }
  for (int i = Limit - 1; i > 0; --i)
  {
    this->Names[i] = this->Names[i - 1];
    this->Paths[i] = this->Paths[i - 1];
  }
  this->Names[0] = name;
  this->Paths[0] = path;
  return true;
}

int vRecentFileList::GetNumberOfFiles() const
{
  int n = 0;
  while (n < NumberOfSlots && !this->Names[n].empty())
  {
    ++n;
  }
  return n;
}

std::string vRecentFileList::GetName(int slot) const
{
  return slot >= 0 && slot < NumberOfSlots ? this->Names[slot] : std::string();
}

std::string vRecentFileList::GetPath(int slot) const
{
  return slot >= 0 && slot < NumberOfSlots ? this->Paths[slot] : std::string();
}

int vRecentFileList::Find(const std::string& name) const
{
  for (int i = 0; i < NumberOfSlots; ++i)
  {
    if (!this->Names[i].empty() && this->Names[i] == name)
    {
      return i;
    }
  }
  return -1;
}

std::string vRecentFileList::GetPathOf(const std::string& name) const
{
  int slot = this->Find(name);
  return slot >= 0 ? this->Paths[slot] : std::string();
}
