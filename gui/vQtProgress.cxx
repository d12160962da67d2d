#include "vQtProgress.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

#include <cmath>

vQtProgress::vQtProgress(QWidget* parent)
  : QWidget(parent)
{
  this->setObjectName(QStringLiteral("Progress"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  this->Text = new QLabel(this);
  this->Bar = new QProgressBar(this);
  this->Bar->setRange(0, 1000);
  this->Bar->setFixedWidth(160);
  this->Bar->setTextVisible(false);
  this->CancelButton = new QToolButton(this);
  this->CancelButton->setObjectName(QStringLiteral("CancelRead"));
  this->CancelButton->setText(QStringLiteral("Cancel"));
  connect(this->CancelButton, &QToolButton::clicked, this, [this]() { this->Cancel(); });
  layout->addWidget(this->Text);
  layout->addWidget(this->Bar);
  layout->addWidget(this->CancelButton);
  this->hide();
}

vQtProgress::~vQtProgress()
{
  if (vProgress::Get() == this)
  {
    vProgress::Install(nullptr);
  }
}

void vQtProgress::Begin(const std::string& text)
{
  this->Text->setText(QString::fromStdString(text));
  this->Bar->setValue(0);
  this->CancelAsked = false;
  this->Running = true;
  this->Clock.start();
  qApp->installEventFilter(this);
}

bool vQtProgress::Update(double fraction)
{
  if (!this->Running)
  {
    return true;
  }
  if (!this->isVisible() && this->Clock.elapsed() >= ShowAfter)
  {
    this->show();
  }
  if (fraction < 0)
  {
    this->Bar->setRange(0, 0); // unknown: a moving bar
  }
  else
  {
    this->Bar->setRange(0, 1000);
    this->Bar->setValue(static_cast<int>(std::lround(fraction * 1000.0)));
  }
  // The window repaints and the Cancel button and Escape work; other input waits (filter).
  QApplication::processEvents(QEventLoop::AllEvents, 20);
  return !this->CancelAsked;
}

void vQtProgress::End()
{
  qApp->removeEventFilter(this);
  this->Running = false;
  this->hide();
}

bool vQtProgress::eventFilter(QObject* watched, QEvent* event)
{
  switch (event->type())
  {
    case QEvent::KeyPress:
      if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
      {
        this->Cancel();
      }
      return true;
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::Drop:
    case QEvent::DragEnter:
    case QEvent::Close:
    {
      // Only the Cancel button takes input while a read runs.
      auto* widget = qobject_cast<QWidget*>(watched);
      return !(
        widget && (widget == this->CancelButton || this->CancelButton->isAncestorOf(widget)));
    }
    default:
      return QObject::eventFilter(watched, event);
  }
}
