// Typing in the console: 1,000 commands typed (key presses, Enter) after a 100,000-line
// transcript, against the same commands typed into an empty console, in the same run. The
// console must not rebuild its whole text per command. Run under an X server.
//   vConsoleWindowBench [commands] [transcript lines]
#include "CT4K2EditCtrl.h"
#include "Voxlet.h"

#include "CVemoraCP.h"
#include "vInstallation.h"

#include <QVTKOpenGLNativeWidget.h>

#include <QApplication>
#include <QSurfaceFormat>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
/** Seconds to type `commands` lines into a console that already holds `lines` lines. */
double TypeCommands(CVemoraCP& facade, int commands, int lines)
{
  Voxlet console;
  console.SetController(&facade);
  console.InitializeUI();
  console.resize(600, 400);
  console.show();
  CT4K2EditCtrl* edit = console.GetEditCtrl();
  QString filler;
  for (int i = 0; i < lines; ++i)
  {
    filler += QStringLiteral("a line of an earlier session's transcript, number %1\n").arg(i);
  }
  edit->AppendText(filler);
  edit->AppendPrompt();
  QApplication::processEvents();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < commands; ++i)
  {
    QTest::keyClicks(edit, QStringLiteral("pwd"));
    QTest::keyClick(edit, Qt::Key_Return);
  }
  QApplication::processEvents();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
} // namespace

int main(int argc, char** argv)
{
  const int commands = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
  const int lines = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100000;
  char home[] = "/tmp/vemora-console-XXXXXX";
  if (!mkdtemp(home))
  {
    return 1;
  }
  setenv("VEMORA_HOME", home, 1);
  for (const char* sub : { "Modules", "Soft", "Hard", "SystemRegistry", "Scripts", "History" })
  {
    vInstallation::MakeFolder(std::string(home) + "/" + sub);
  }
  QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat());
  QApplication application(argc, argv);
  CVemoraCP facade;
  facade.UIInit();
  double empty[3] = {};
  double full[3] = {};
  for (int run = 0; run < 3; ++run)
  {
    empty[run] = TypeCommands(facade, commands, 0);
    full[run] = TypeCommands(facade, commands, lines);
  }
  std::sort(empty, empty + 3);
  std::sort(full, full + 3);
  std::printf("%d commands typed, median of 3: empty console %.3f s, after %d lines %.3f s, "
              "ratio %.2f (target at most 2)\n",
    commands,
    empty[1],
    lines,
    full[1],
    full[1] / empty[1]);
  return 0;
}
