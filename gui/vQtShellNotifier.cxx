#include "vQtShellNotifier.h"

#include <QMetaObject>

vQtShellNotifier::vQtShellNotifier(QObject* parent)
  : QObject(parent)
{
}

void vQtShellNotifier::Post(int code, const std::string& text)
{
  const QString copy = QString::fromStdString(text);
  QMetaObject::invokeMethod(
    this, [this, code, copy]() { emit this->Notice(code, copy); }, Qt::QueuedConnection);
}
