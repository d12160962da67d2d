#include "vShellNotifier.h"

#include <cstdio>

namespace
{
vShellNotifier* CurrentNotifier = nullptr; // borrowed: installed by the GUI or a test
} // namespace

vShellNotifier::~vShellNotifier() = default;

vRecordingShellNotifier* vGetDefaultShellNotifier()
{
  static vRecordingShellNotifier defaultNotifier;
  return &defaultNotifier;
}

vShellNotifier* vShellNotifier::Get()
{
  return CurrentNotifier ? CurrentNotifier : vGetDefaultShellNotifier();
}

void vShellNotifier::Install(vShellNotifier* notifier)
{
  CurrentNotifier = notifier;
}

void vRecordingShellNotifier::Post(int code, const std::string& text)
{
  this->Notices.push_back({ code, text });
  if (code == ConsoleText && this->Echo)
  {
    std::fprintf(stdout, "%s\n", text.c_str());
    std::fflush(stdout);
  }
}

int vRecordingShellNotifier::Count(int code) const
{
  int n = 0;
  for (const Notice& notice : this->Notices)
  {
    n += notice.Code == code ? 1 : 0;
  }
  return n;
}
