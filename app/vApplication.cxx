#include "vApplication.h"

#include "vLog.h"
#include "vUserPrompt.h"

#include <new>

const char* const vApplication::OutOfMemoryText =
  "error: not enough memory to finish the operation";

vApplication::vApplication(int& argc, char** argv)
  : QApplication(argc, argv)
{
}

bool vApplication::notify(QObject* receiver, QEvent* event)
{
  try
  {
    return QApplication::notify(receiver, event);
  }
  catch (const std::bad_alloc&)
  {
    // The memory the failed operation held is free again once its frames are gone; should even
    // the message fail, the program still goes on.
    try
    {
      vLog::Warning(OutOfMemoryText);
      vUserPrompt::Get()->Inform(OutOfMemoryText);
    }
    catch (...)
    {
    }
    return false;
  }
}
