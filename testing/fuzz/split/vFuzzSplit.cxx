// Fuzzes the three ways a command line is split. Besides not crashing, each split must keep its
// promises: no parameter is longer than the line, a plain split keeps every byte but the
// separators, and the quoted split gives the word "error" exactly when quotes do not pair up.
#include "vCommandLine.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string line(reinterpret_cast<const char*>(data), size);
  std::string word;
  std::vector<std::string> parameters;

  vCommandLine::SplitPlain(line, word, parameters);
  const std::string trimmed = vCommandLine::Trim(line);
  size_t total = word.size();
  for (const std::string& p : parameters)
  {
    total += p.size() + 1;
  }
  if (total != trimmed.size())
  {
    std::abort();
  }

  for (int console = 0; console < 2; ++console)
  {
    if (console)
    {
      vCommandLine::SplitConsole(line, word, parameters);
    }
    else
    {
      vCommandLine::SplitQuoted(line, word, parameters);
    }
    if (word.size() > trimmed.size() && word != "error")
    {
      std::abort();
    }
    for (const std::string& p : parameters)
    {
      if (p.size() > trimmed.size())
      {
        std::abort();
      }
    }
    const size_t quotes = static_cast<size_t>(std::count(trimmed.begin(), trimmed.end(), '\''));
    if (!console && quotes % 2 == 1 && (word != "error" || !parameters.empty()))
    {
      std::abort();
    }
    if (console && quotes % 2 == 1 && parameters.size() != 1)
    {
      std::abort();
    }
  }
  return 0;
}
