#include "vGuiTestSupport.h"

#include <vtkRenderWindow.h> // for the baseline helpers

#include "vRenderBaseline.h"

#include <QVTKOpenGLNativeWidget.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QSurfaceFormat>

bool vEnsureGuiApplication()
{
  if (QCoreApplication::instance())
  {
    return true;
  }
  if (!vHasDisplay())
  {
    return false;
  }
  QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat());
  static int argc = 1;
  static char name[] = "VemoraGUITests";
  static char* argv[] = { name, nullptr };
  new QApplication(argc, argv); // lives as long as the program
  return true;
}

std::string vBuiltPlugin(const std::string& folder, const std::string& name)
{
  return std::string(VEMORA_BIN_DIR) + "/" + folder + "/" + name + ".so";
}

void vProcessEvents(int milliseconds)
{
  QElapsedTimer timer;
  timer.start();
  do
  {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  } while (timer.elapsed() < milliseconds);
}
