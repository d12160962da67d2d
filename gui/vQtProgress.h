#ifndef vQtProgress_h
#define vQtProgress_h

#include "VemoraGUIModule.h"
#include "vProgress.h"

#include <QElapsedTimer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QToolButton;

/**
 * The progress of long reads in the window's status bar: what is read, a bar and a Cancel button,
 * shown once an operation has run for `ShowAfter` milliseconds. While it runs the window keeps
 * repainting (events are processed at each report), but input other than Cancel and the Escape
 * key is held back, so nothing else starts in the middle of a read.
 */
class VEMORAGUI_EXPORT vQtProgress
  : public QWidget
  , public vProgress
{
  Q_OBJECT
public:
  static constexpr int ShowAfter = 500;

  explicit vQtProgress(QWidget* parent = nullptr);
  ~vQtProgress() override;

  void Begin(const std::string& text) override;
  bool Update(double fraction) override;
  void End() override;

  /** Asks the running operation to stop (the Cancel button and Escape do this). */
  void Cancel() { this->CancelAsked = true; }
  bool IsRunning() const { return this->Running; }
  QToolButton* GetCancelButton() const { return this->CancelButton; }
  QProgressBar* GetBar() const { return this->Bar; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QLabel* Text = nullptr;
  QProgressBar* Bar = nullptr;
  QToolButton* CancelButton = nullptr;
  QElapsedTimer Clock;
  bool Running = false;
  bool CancelAsked = false;
};

#endif
