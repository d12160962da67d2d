#include "vDicomGuard.h"

#include <csetjmp>
#include <csignal>
#include <pthread.h>

namespace
{
sigjmp_buf* ActiveJump = nullptr;
pthread_t GuardedThread;

extern "C" void vDicomGuardOnAbort(int signal)
{
  if (ActiveJump && pthread_equal(pthread_self(), GuardedThread))
  {
    siglongjmp(*ActiveJump, 1);
  }
  // Another thread aborted: let the default action end the process as it would have.
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

} // namespace

bool vDicomGuard::Run(const std::function<bool()>& work)
{
  // The innermost guard catches: each run keeps the jump of the guard around it and puts it back.
  sigjmp_buf* const outer = ActiveJump;
  struct sigaction action = {};
  struct sigaction previous = {};
  if (!outer)
  {
    action.sa_handler = vDicomGuardOnAbort;
    sigemptyset(&action.sa_mask);
    sigaction(SIGABRT, &action, &previous);
    GuardedThread = pthread_self();
  }
  sigjmp_buf jump;
  volatile bool result = false;
  // The mask is saved so that SIGABRT, blocked while its handler runs, is unblocked again.
  if (sigsetjmp(jump, 1) == 0)
  {
    ActiveJump = &jump;
    result = work();
  }
  else
  {
    result = false;
  }
  ActiveJump = outer;
  if (!outer)
  {
    sigaction(SIGABRT, &previous, nullptr);
  }
  return result;
}
