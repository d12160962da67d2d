#ifndef vUserPrompt_h
#define vUserPrompt_h

#include "VemoraCommonModule.h"

#include <deque>
#include <string>
#include <vector>

/**
 * How the libraries talk to the person at the screen: an information box, a yes/no question and
 * the open-file, save-file and folder dialogs. The texts are the system's own and are passed as
 * they stand.
 *
 * One prompt is current for the process. The GUI installs one made of Qt dialogs; without it the
 * default is a `vScriptedUserPrompt`, which answers from what a test or a batch run queued.
 */
class VEMORACOMMON_EXPORT vUserPrompt
{
public:
  virtual ~vUserPrompt();

  /** A message box with an OK button. */
  virtual void Inform(const std::string& text) = 0;
  /** A Yes/No question; true for Yes. */
  virtual bool AskYesNo(const std::string& text) = 0;
  /**
   * An open-file dialog. `filter` is the dialog's filter text ("Description|*.ext;*.ext2|...|"),
   * `folder` the folder it starts in. Returns the chosen path, or "" when cancelled.
   */
  virtual std::string AskOpenFile(const std::string& filter, const std::string& folder) = 0;
  /** A save-file dialog; as `AskOpenFile`. */
  virtual std::string AskSaveFile(const std::string& filter, const std::string& folder) = 0;
  /** A folder dialog starting in `folder`; the chosen folder or "" when cancelled. */
  virtual std::string AskFolder(const std::string& folder) = 0;

  /** The current prompt; never null. */
  static vUserPrompt* Get();
  /** Makes `prompt` current (borrowed: the caller keeps it alive); null restores the default. */
  static void Install(vUserPrompt* prompt);
};

/**
 * The prompt for runs without the GUI. Every text it is shown is recorded (and, when echo is on,
 * written to standard error). Questions take the next queued answer, or the standing answer when
 * the queue is empty; dialogs take the next queued path, or "" (cancel) when none is queued.
 */
class VEMORACOMMON_EXPORT vScriptedUserPrompt : public vUserPrompt
{
public:
  enum Kind
  {
    Information,
    Question,
    OpenFile,
    SaveFile,
    Folder
  };
  struct Record
  {
    Kind What;
    std::string Text; // the message, or the filter text of a dialog
  };

  void Inform(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  std::string AskOpenFile(const std::string& filter, const std::string& folder) override;
  std::string AskSaveFile(const std::string& filter, const std::string& folder) override;
  std::string AskFolder(const std::string& folder) override;

  /** The answer to questions when nothing is queued (default: No). */
  void SetStandingAnswer(bool yes) { this->StandingAnswer = yes; }
  void QueueAnswer(bool yes) { this->Answers.push_back(yes); }
  /** The next path an open, save or folder dialog returns. */
  void QueuePath(const std::string& path) { this->Paths.push_back(path); }
  /** Writes every text to standard error as it comes (default: on). */
  void SetEcho(bool echo) { this->Echo = echo; }

  const std::vector<Record>& GetRecords() const { return this->Records; }
  /** The texts of the records, in order. */
  std::vector<std::string> GetTexts() const;
  /** Forgets records, queued answers and paths, and resets the standing answer to No. */
  void Reset();

private:
  std::string NextPath();

  std::vector<Record> Records;
  std::deque<bool> Answers;
  std::deque<std::string> Paths;
  bool StandingAnswer = false;
  bool Echo = true;
};

/** The default prompt of the process (the one `Install(nullptr)` restores). */
VEMORACOMMON_EXPORT vScriptedUserPrompt* vGetDefaultUserPrompt();

#endif
