#include "vDisplay.h"

#include <X11/Xlib.h>

#include <cstdlib>

bool vCanReachDisplay(std::string& why)
{
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display)
  {
    why = "no display (DISPLAY is not set)";
    return false;
  }
  Display* connection = XOpenDisplay(display);
  if (!connection)
  {
    why = std::string("the X server of DISPLAY=") + display + " does not answer";
    return false;
  }
  XCloseDisplay(connection);
  return true;
}
