#include "vAppOptions.h"

#include "vBatchOptions.h"

#include <cstdlib>
#include <cstring>

bool vAppOptions::IsBatch(int argc, const char* const* argv)
{
  for (int i = 1; i < argc; ++i)
  {
    if (argv[i] && std::strcmp(argv[i], "--batch") == 0)
    {
      return true;
    }
  }
  return false;
}

vAppOptions vAppOptions::Parse(int argc, const char* const* argv)
{
  vAppOptions options;
  auto refuse = [&options](const std::string& why)
  {
    if (options.Error.empty())
    {
      options.Error = why;
    }
  };
  for (int i = 1; i < argc; ++i)
  {
    const std::string argument = argv[i] ? argv[i] : "";
    auto value = [&](std::string& target)
    {
      if (i + 1 >= argc || !argv[i + 1] || !*argv[i + 1])
      {
        refuse(argument + " needs a value");
        return false;
      }
      target = argv[++i];
      return true;
    };
    if (argument == "--help" || argument == "-h")
    {
      options.Help = true;
    }
    else if (argument == "--script")
    {
      value(options.Script);
    }
    else if (argument == "--screenshot")
    {
      value(options.Screenshot);
    }
    else if (argument == "--quit")
    {
      options.Quit = true;
    }
    else if (argument == "--size")
    {
      std::string size;
      if (!value(size))
      {
        continue;
      }
      char* end = nullptr;
      const long width = std::strtol(size.c_str(), &end, 10);
      const long height = end && *end == 'x' ? std::strtol(end + 1, &end, 10) : 0;
      if (!end || *end || width < 200 || height < 200 || width > vBatchOptions::MaximumSide ||
        height > vBatchOptions::MaximumSide)
      {
        refuse("--size takes WxH, each from 200 to " + std::to_string(vBatchOptions::MaximumSide));
        continue;
      }
      options.Width = static_cast<int>(width);
      options.Height = static_cast<int>(height);
    }
    else if (argument.size() > 1 && argument[0] == '-')
    {
      refuse("unknown option " + argument);
    }
    else if (!argument.empty())
    {
      options.Paths.push_back(argument);
    }
  }
  return options;
}

std::string vAppOptions::Usage()
{
  return "Usage: Vemora [--script FILE] [--screenshot FILE.png] [--size WxH] [--quit] "
         "[FILE|FOLDER ...]\n"
         "Opens the workstation's window with one viewing tab.\n"
         "  FILE|FOLDER          opened into the workspace at start (a folder of DICOM slices as\n"
         "                       a series); failures are reported in the console\n"
         "  --script FILE        runs a script in the console once the window shows its first\n"
         "                       frame, printing each line and its reply\n"
         "  --screenshot FILE    saves a PNG picture of the whole window after that\n"
         "  --size WxH           the window's size (default: maximised, or the last run's size)\n"
         "  --quit               closes the program once the script ran and the picture is saved\n"
         "The window needs a display; without one, use --batch (below), or run under xvfb-run.\n"
         "\n";
}
