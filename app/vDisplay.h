#ifndef vDisplay_h
#define vDisplay_h

#include <string>

/**
 * Whether the X server that DISPLAY names answers. Qt aborts and VTK's X windows end the process
 * when it does not (DISPLAY set to a server that is not running), so the program asks this before
 * it makes any window. When it cannot, `why` says so ("DISPLAY is not set", ...).
 */
bool vCanReachDisplay(std::string& why);

#endif
