#ifndef vApplication_h
#define vApplication_h

#include <QApplication>

/**
 * The program's QApplication. Every event handler and queued call of the window runs through
 * `notify`; one that runs out of memory (std::bad_alloc) ends there, with `OutOfMemoryText` shown
 * to the user, and the program goes on (an exception leaving an event handler ends a Qt program).
 * The console's commands and the calls into modules catch it closer to where it happened; this is
 * the window's menus, buttons, panels and drops.
 */
class vApplication : public QApplication
{
public:
  vApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;

  static const char* const OutOfMemoryText;
};

#endif
