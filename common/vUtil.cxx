#include "vUtil.h"
#include "vTextFile.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
const char* const MatrixHeader = "MATRIX 4 x 4";

// The "C" locale, so that numbers use '.' whatever locale the GUI set for the process.
locale_t CLocale()
{
  static locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

// Decimal conversion as atof does it: leading number text is taken, anything unreadable is 0.
double ToDouble(const std::string& text)
{
  locale_t locale = CLocale();
  return locale ? strtod_l(text.c_str(), nullptr, locale) : std::strtod(text.c_str(), nullptr);
}

bool IsSpace(char c)
{
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

void TrimLeft(std::string& text)
{
  text.erase(
    text.begin(), std::find_if(text.begin(), text.end(), [](char c) { return !IsSpace(c); }));
}

void Trim(std::string& text)
{
  TrimLeft(text);
  text.erase(std::find_if(text.rbegin(), text.rend(), [](char c) { return !IsSpace(c); }).base(),
    text.end());
}

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
  size_t i = 0;
  for (; prefix[i]; ++i)
  {
    if (i >= text.size() ||
      std::tolower(static_cast<unsigned char>(text[i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i])))
    {
      return false;
    }
  }
  return true;
}

void RemoveAll(std::string& text, const std::string& what)
{
  for (size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos))
  {
    text.erase(pos, what.size());
  }
}

// A header line: when it starts with `prefix` (compared as `ignoreCase` says), every exact
// `removal` is dropped; then it is trimmed on both sides.
std::string CleanHeader(std::string line, const char* prefix, bool ignoreCase, const char* removal)
{
  std::string text(prefix);
  bool starts =
    ignoreCase ? StartsWithNoCase(line, prefix) : line.compare(0, text.size(), text) == 0;
  if (starts)
  {
    RemoveAll(line, removal);
  }
  Trim(line);
  return line;
}

// Reads a regular file line by line, keeping at most vUtil::MaxLineLength characters of a line.
class vLineReader
{
public:
  vLineReader() = default;
  vLineReader(const vLineReader&) = delete;
  vLineReader& operator=(const vLineReader&) = delete;
  ~vLineReader()
  {
    if (this->File)
    {
      std::fclose(this->File);
    }
  }

  // Opens `path` for reading if it is a regular file. The file is opened without blocking and
  // checked afterwards, so a pipe or a device is never waited on or read forever.
  bool Open(const std::string& path)
  {
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
    {
      return false;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
    {
      ::close(fd);
      return false;
    }
    int flags = fcntl(fd, F_GETFL);
    if (flags >= 0)
    {
      fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    this->File = fdopen(fd, "rb");
    if (!this->File)
    {
      ::close(fd);
      return false;
    }
    return true;
  }

  // The next line without its line break ("" at the end of the file); false at the end.
  bool Next(std::string& line)
  {
    line.clear();
    if (!this->File || this->AtEnd)
    {
      return false;
    }
    bool any = false;
    int c;
    while ((c = getc_unlocked(this->File)) != EOF)
    {
      any = true;
      if (c == '\n')
      {
        break;
      }
      if (line.size() < vUtil::MaxLineLength)
      {
        line.push_back(static_cast<char>(c));
      }
    }
    if (c == EOF)
    {
      this->AtEnd = true;
    }
    if (!line.empty() && line.back() == '\r')
    {
      line.pop_back();
    }
    return any;
  }

private:
  FILE* File = nullptr;
  bool AtEnd = false;
};

// The count of a number list: the integer the cleaned first line starts with, limited to the
// caller's capacity (a negative count is 0).
int ReadCount(const std::string& cleaned, int capacity)
{
  long n = std::strtol(cleaned.c_str(), nullptr, 10);
  if (n < 0 || capacity <= 0)
  {
    return 0;
  }
  return n > capacity ? capacity : static_cast<int>(n);
}

// Reads `count` value lines into `values`; missing lines read as 0.
void ReadValues(vLineReader& reader, double* values, int count)
{
  std::string line;
  for (int k = 0; k < count; ++k)
  {
    values[k] = reader.Next(line) ? ToDouble(line) : 0.0;
  }
}
} // namespace

int vUtil::LoadMat(const std::string& path, double matrix[16])
{
  vLineReader reader;
  if (!reader.Open(path))
  {
    return -1;
  }
  std::string line;
  reader.Next(line);
  if (!matrix || line.size() != std::char_traits<char>::length(MatrixHeader) ||
    !StartsWithNoCase(line, MatrixHeader))
  {
    return 1;
  }
  for (int r = 0; r < 4; ++r)
  {
    reader.Next(line);
    TrimLeft(line);
    for (int c = 0; c < 3; ++c)
    {
      size_t blank = line.find(' ');
      if (blank == std::string::npos || blank == 0)
      {
        break;
      }
      matrix[r * 4 + c] = ToDouble(line.substr(0, blank));
      line.erase(0, blank);
      TrimLeft(line);
    }
    matrix[r * 4 + 3] = ToDouble(line);
  }
  return 1;
}

int vUtil::SaveMat(const std::string& path, const double matrix[16])
{
  if (!matrix)
  {
    return 1;
  }
  std::string text = MatrixHeader;
  text += "\n";
  locale_t previous = CLocale() ? uselocale(CLocale()) : nullptr;
  for (int r = 0; r < 4; ++r)
  {
    const double* m = matrix + r * 4;
    int n = std::snprintf(nullptr, 0, "%f %f %f %f\n", m[0], m[1], m[2], m[3]);
    if (n > 0)
    {
      std::string row(static_cast<size_t>(n) + 1, '\0');
      std::snprintf(&row[0], row.size(), "%f %f %f %f\n", m[0], m[1], m[2], m[3]);
      row.resize(static_cast<size_t>(n));
      text += row;
    }
  }
  if (previous)
  {
    uselocale(previous);
  }
  return vTextFile::WriteAtomically(path, text) ? 0 : 1;
}

int vUtil::ReadDoubleArray(const std::string& path, double* values, int capacity)
{
  vLineReader reader;
  if (!reader.Open(path))
  {
    return -1;
  }
  std::string line;
  reader.Next(line);
  int count = values ? ReadCount(CleanHeader(line, "Number", false, "Number:"), capacity) : 0;
  ReadValues(reader, values, count);
  return count;
}

int vUtil::ReadDoubleArray(const std::string& path,
  double* values,
  int capacity,
  double& low,
  double& high)
{
  vLineReader reader;
  if (!reader.Open(path))
  {
    return -1;
  }
  std::string line;
  reader.Next(line);
  int count = values ? ReadCount(CleanHeader(line, "Number", true, "Number:"), capacity) : 0;
  reader.Next(line);
  low = ToDouble(CleanHeader(line, "Range Min:", true, "Range Min:"));
  reader.Next(line);
  high = ToDouble(CleanHeader(line, "Range Max:", true, "Range Max:"));
  ReadValues(reader, values, count);
  return count;
}

std::string vUtil::ConstructRow(const std::vector<std::string>& cells,
  const std::vector<int>& widths)
{
  std::string row;
  for (size_t i = 0; i < cells.size(); ++i)
  {
    row += cells[i];
    if (i < widths.size() && widths[i] > 0 && cells[i].size() < static_cast<size_t>(widths[i]))
    {
      row.append(static_cast<size_t>(widths[i]) - cells[i].size(), ' ');
    }
  }
  return row;
}

std::string vUtil::ExtractFilePath(const std::string& path)
{
  size_t separator = path.rfind('/');
  if (separator == 0)
  {
    return "/";
  }
  if (separator == std::string::npos)
  {
    separator = path.rfind('\\');
  }
  if (separator == std::string::npos)
  {
    return path;
  }
  return path.substr(0, separator);
}

bool vUtil::EqualsNoCase(const std::string& a, const std::string& b)
{
  if (a.size() != b.size())
  {
    return false;
  }
  for (size_t i = 0; i < a.size(); ++i)
  {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
      std::tolower(static_cast<unsigned char>(b[i])))
    {
      return false;
    }
  }
  return true;
}
