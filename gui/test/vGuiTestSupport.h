#ifndef vGuiTestSupport_h
#define vGuiTestSupport_h

#include <string>

/**
 * Support of the tests that drive real Qt widgets: the program's one QApplication (made on first
 * use on the X display, with the surface format the VTK widget needs), and the path of a plug-in
 * that the build made.
 */

/** Makes the QApplication when there is none yet; false without a display to show it on. */
bool vEnsureGuiApplication();

/** The built plug-in `name` of an installation sub-folder ("Modules", "Soft", "Hard"). */
std::string vBuiltPlugin(const std::string& folder, const std::string& name);

/** Processes pending events (queued calls, paints) for about `milliseconds`. */
void vProcessEvents(int milliseconds = 50);

#endif
