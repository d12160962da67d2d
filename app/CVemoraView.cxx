#include "CVemoraView.h"

#include "vDropPaths.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QMimeData>

CVemoraView::CVemoraView(QWidget* parent)
  : QVTKOpenGLNativeWidget(parent)
{
  this->setAcceptDrops(true);
  this->setFocusPolicy(Qt::StrongFocus);
  this->setMinimumSize(200, 200);
}

CVemoraView::~CVemoraView() = default;

void CVemoraView::focusInEvent(QFocusEvent* event)
{
  QVTKOpenGLNativeWidget::focusInEvent(event);
  emit this->Focused(this);
}

void CVemoraView::closeEvent(QCloseEvent* event)
{
  emit this->Closing(this);
  QVTKOpenGLNativeWidget::closeEvent(event);
}

void CVemoraView::dragEnterEvent(QDragEnterEvent* event)
{
  if (!vDropPaths::FromMimeData(event->mimeData()).isEmpty())
  {
    event->acceptProposedAction();
  }
}

void CVemoraView::dropEvent(QDropEvent* event)
{
  const QStringList paths = vDropPaths::FromMimeData(event->mimeData());
  if (!paths.isEmpty())
  {
    event->acceptProposedAction();
    emit this->Dropped(paths);
  }
}
