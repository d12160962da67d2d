#ifndef vQtShellNotifier_h
#define vQtShellNotifier_h

#include "VemoraGUIModule.h"
#include "vShellNotifier.h"

#include <QObject>

/**
 * Delivers the libraries' notices to the window: every `Post` becomes a queued call, so notices
 * are handled in the order they were posted, on the UI thread, after the poster has returned
 * (also when the poster runs on another thread). The window connects to `Notice`.
 */
class VEMORAGUI_EXPORT vQtShellNotifier
  : public QObject
  , public vShellNotifier
{
  Q_OBJECT
public:
  explicit vQtShellNotifier(QObject* parent = nullptr);

  void Post(int code, const std::string& text = std::string()) override;

signals:
  /** A notice (1224, 1225 or 1226 with its text), delivered on the UI thread. */
  void Notice(int code, const QString& text);
};

#endif
