#include "vBatchOptions.h"

#include <cerrno>
#include <cstdlib>

namespace
{
/** A side of the window: decimal, 1 to MaximumSide; -1 otherwise. */
int ReadSide(const std::string& text)
{
  if (text.empty() || text.size() > 5 || text[0] < '0' || text[0] > '9')
  {
    return -1;
  }
  char* end = nullptr;
  errno = 0;
  long value = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || value < 1 || value > vBatchOptions::MaximumSide)
  {
    return -1;
  }
  return static_cast<int>(value);
}
} // namespace

vBatchOptions vBatchOptions::Parse(int argc, const char* const* argv)
{
  vBatchOptions options;
  for (int i = 1; i < argc; ++i)
  {
    const std::string argument = argv[i];
    auto next = [&](std::string& value)
    {
      if (i + 1 >= argc)
      {
        options.Error = argument + " needs a value";
        return false;
      }
      value = argv[++i];
      return true;
    };
    if (argument == "--help" || argument == "-h")
    {
      options.Help = true;
    }
    else if (argument == "--batch")
    {
      if (!next(options.Script))
      {
        return options;
      }
    }
    else if (argument == "--screenshot")
    {
      if (!next(options.Screenshot))
      {
        return options;
      }
    }
    else if (argument == "--size")
    {
      std::string size;
      if (!next(size))
      {
        return options;
      }
      const size_t x = size.find('x');
      const int width = x == std::string::npos ? -1 : ReadSide(size.substr(0, x));
      const int height = x == std::string::npos ? -1 : ReadSide(size.substr(x + 1));
      if (width < 0 || height < 0)
      {
        options.Error = "--size wants WIDTHxHEIGHT, each from 1 to 8192, not \"" + size + "\"";
        return options;
      }
      options.Width = width;
      options.Height = height;
    }
    else if (argument == "--yes")
    {
      options.Yes = true;
    }
    else if (argument == "--no")
    {
      options.Yes = false;
    }
    else if (argument == "--progress")
    {
      options.Progress = true;
    }
    else if (argument == "--keep-going")
    {
      options.KeepGoing = true;
    }
    else if (!argument.empty() && argument[0] == '-' && argument != "-")
    {
      options.Error = "unknown option " + argument;
      return options;
    }
    else if (options.Script.empty())
    {
      options.Files.push_back(argument); // before --batch: a file or folder to open first
    }
    else
    {
      options.Error = "more than one script: " + argument;
      return options;
    }
  }
  if (!options.Help && options.Script.empty())
  {
    options.Error = "no script given";
  }
  return options;
}

std::string vBatchOptions::Usage()
{
  return "Usage: Vemora [FILE|FOLDER ...] --batch SCRIPT [--screenshot FILE.png] [--size WxH] "
         "[--yes|--no]\n"
         "                     [--keep-going] [--progress]\n"
         "       Vemora --help\n"
         "\n"
         "Runs SCRIPT, a file of console commands, without a window on screen: the workstation\n"
         "starts as usual (modules loaded and run on one off-screen viewing tab), then every\n"
         "line of SCRIPT is run as the console runs it and its reply is printed on standard\n"
         "output after the prompt and the line. A line fails when its result code is not 0 or\n"
         "its reply begins with \"error\". The run stops at the first failing line; its message\n"
         "goes to standard error and the program exits with the line's result code (1 when\n"
         "only the reply told of the failure; 0 when every line succeeded). Relative paths start\n"
         "in the folder the program was started in.\n"
         "\n"
         "  FILE|FOLDER          opened first, each as the console's open does (before --batch)\n"
         "  --batch SCRIPT       the script to run; \"-\"\n"
         "                       reads it from standard input, and standard input, a FIFO or a\n"
         "                       terminal is run line by line as the lines come\n"
         "  --screenshot FILE    write a PNG picture of the viewing tab after the script\n"
         "  --size WxH           size of the viewing tab in pixels (default 300x300)\n"
         "  --yes, --no          the answer to every question a command asks (default: no)\n"
         "  --keep-going         run every line even after a failing one; the exit code is\n"
         "                       then the first failing line's result\n"
         "  --progress           show how far long reads are on standard error\n"
         "  --help               this text\n"
         "\n"
         "Message boxes and questions are written to standard error. The installation folder\n"
         "(plug-ins, Scripts, History, configuration) is the program's folder, or VEMORA_HOME\n"
         "when it is set.\n";
}
