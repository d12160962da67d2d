#include "vRenderingUtil.h"

#include <cctype>

namespace vRenderingUtil
{
std::string Row(const std::vector<std::string>& cells, const std::vector<int>& widths)
{
  std::string row;
  for (size_t i = 0; i < cells.size(); ++i)
  {
    row += cells[i];
    const size_t width = i < widths.size() && widths[i] > 0 ? static_cast<size_t>(widths[i]) : 0;
    if (cells[i].size() < width)
    {
      row.append(width - cells[i].size(), ' ');
    }
  }
  return row;
}

bool EqualsNoCase(const std::string& a, const std::string& b)
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

std::string Trim(const std::string& text)
{
  const char* blanks = " \t\r\n";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos)
  {
    return "";
  }
  const size_t last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}
} // namespace vRenderingUtil
