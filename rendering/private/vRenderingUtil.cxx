#include "vRenderingUtil.h"

namespace vRenderingUtil
{
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
