#include "vProgress.h"

#include <atomic>
#include <thread>

namespace
{
vProgress* CurrentReporter = nullptr; // borrowed: installed by the window or a batch run
int Depth = 0;                        // scopes open (UI thread)
std::atomic<bool> CancelSeen{ false };
std::chrono::steady_clock::time_point NextReport;
std::thread::id Owner; // the thread that opened the outermost scope: only it reports
} // namespace

vProgress::~vProgress() = default;

vProgress* vProgress::Get()
{
  return CurrentReporter;
}

void vProgress::Install(vProgress* reporter)
{
  CurrentReporter = reporter;
}

vProgressScope::vProgressScope(const std::string& text)
  : Outermost(Depth == 0)
{
  ++Depth;
  if (this->Outermost)
  {
    CancelSeen = false;
    NextReport = std::chrono::steady_clock::now();
    Owner = std::this_thread::get_id();
    if (CurrentReporter)
    {
      CurrentReporter->Begin(text);
    }
  }
}

vProgressScope::~vProgressScope()
{
  --Depth;
  if (this->Outermost)
  {
    if (CurrentReporter)
    {
      CurrentReporter->End();
    }
    CancelSeen = false;
  }
}

bool vProgressScope::Report(double done, double total)
{
  if (CancelSeen)
  {
    return false;
  }
  if (Depth == 0 || !CurrentReporter || std::this_thread::get_id() != Owner)
  {
    return true;
  }
  const auto now = std::chrono::steady_clock::now();
  if (now < NextReport)
  {
    return true;
  }
  NextReport = now + Interval;
  const double fraction = total > 0 ? done / total : -1.0;
  if (!CurrentReporter->Update(fraction > 1.0 ? 1.0 : fraction))
  {
    CancelSeen = true;
  }
  return !CancelSeen;
}

bool vProgressScope::Cancelled()
{
  return CancelSeen;
}
