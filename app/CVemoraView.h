#ifndef CVemoraView_h
#define CVemoraView_h

#include <QVTKOpenGLNativeWidget.h>

/**
 * The view of one viewing tab: a VTK widget whose render window the renderer manager made (through
 * the window factory the main frame installs) and knows by an id. The widget gives the window its
 * interactor; the engine keeps it. Closing the view closes the viewing tab in the engine (modules
 * detached, window removed, tab uncounted), while the widget's GL context still exists.
 */
class CVemoraView : public QVTKOpenGLNativeWidget
{
  Q_OBJECT
public:
  explicit CVemoraView(QWidget* parent = nullptr);
  ~CVemoraView() override;

  /** The renderer manager's id of the window, -1 until the tab is opened. */
  int GetRenderWindowId() const { return this->RenderWindowId; }
  void SetRenderWindowId(int id) { this->RenderWindowId = id; }

signals:
  /** The view took the focus (its window becomes the current one). */
  void Focused(CVemoraView* view);
  /** The view is closing: the owner closes the viewing tab in the engine. */
  void Closing(CVemoraView* view);
  /** Files or folders were dropped on the view. */
  void Dropped(const QStringList& paths);

protected:
  void focusInEvent(QFocusEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  int RenderWindowId = -1;
};

#endif
