// The baseline of the start-up benchmark: a QMainWindow holding one QVTKOpenGLNativeWidget that
// renders an empty scene. With VEMORA_TIMING set it prints the monotonic clock (ns) when its first
// frame is on screen, then exits.
#include <QVTKOpenGLNativeWidget.h>
#include <vtkGenericOpenGLRenderWindow.h>
#include <vtkNew.h>
#include <vtkRenderer.h>

#include <QApplication>
#include <QMainWindow>
#include <QSurfaceFormat>
#include <QTimer>

#include <cstdio>
#include <ctime>

int main(int argc, char** argv)
{
  QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat());
  QApplication application(argc, argv);
  QMainWindow window;
  auto* widget = new QVTKOpenGLNativeWidget(&window);
  vtkNew<vtkGenericOpenGLRenderWindow> renderWindow;
  widget->setRenderWindow(renderWindow);
  vtkNew<vtkRenderer> renderer;
  renderWindow->AddRenderer(renderer);
  window.setCentralWidget(widget);
  window.resize(1024, 768);
  bool seen = false;
  QObject::connect(widget,
    &QOpenGLWidget::frameSwapped,
    [&seen]()
    {
      if (seen)
      {
        return;
      }
      seen = true;
      timespec now{};
      clock_gettime(CLOCK_MONOTONIC, &now);
      std::fprintf(stderr,
        "first-frame-ns %lld\n",
        static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
      QTimer::singleShot(0, []() { QApplication::exit(0); });
    });
  window.show();
  return QApplication::exec();
}
