#ifndef vShellNotifier_h
#define vShellNotifier_h

#include "VemoraCommonModule.h"

#include <string>
#include <vector>

/**
 * Notices from the libraries to the shell. The GUI installs a notifier that delivers them through
 * queued calls on the UI thread, in order, after the poster returns. Without the GUI the default
 * records every notice and writes the texts of `ConsoleText` notices to standard output.
 */
class VEMORACOMMON_EXPORT vShellNotifier
{
public:
  enum Code
  {
    RefreshTitle = 1224,           // refresh the active tab's title
    RefreshLayerProperties = 1225, // refresh the layer properties
    ConsoleText = 1226             // print a constant text in the console
  };

  virtual ~vShellNotifier();
  /** Posts a notice; `text` is used by `ConsoleText` only. */
  virtual void Post(int code, const std::string& text = std::string()) = 0;

  /** The current notifier; never null. */
  static vShellNotifier* Get();
  /** Makes `notifier` current (borrowed); null restores the default. */
  static void Install(vShellNotifier* notifier);
};

/** The notifier for runs without the GUI. */
class VEMORACOMMON_EXPORT vRecordingShellNotifier : public vShellNotifier
{
public:
  struct Notice
  {
    int Code;
    std::string Text;
  };
  void Post(int code, const std::string& text = std::string()) override;
  /** Writes `ConsoleText` texts to standard output (default: on). */
  void SetEcho(bool echo) { this->Echo = echo; }
  const std::vector<Notice>& GetNotices() const { return this->Notices; }
  /** How many notices of one code were posted. */
  int Count(int code) const;
  void Reset() { this->Notices.clear(); }

private:
  std::vector<Notice> Notices;
  bool Echo = true;
};

/** The default notifier of the process. */
VEMORACOMMON_EXPORT vRecordingShellNotifier* vGetDefaultShellNotifier();

#endif
