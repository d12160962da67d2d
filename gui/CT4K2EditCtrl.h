#ifndef CT4K2EditCtrl_h
#define CT4K2EditCtrl_h

#include "VemoraGUIModule.h"

#include "CT4K2EXE.h" // for member

#include <QPlainTextEdit>

#include <string>
#include <vector>

class CVemoraCP;

/**
 * The console's text: one growing transcript whose last line is the input line, beginning with
 * the interpreter's prompt (">> ", or the active module's name, a space and ">> "). Enter runs the
 * line through the interpreter it owns and prints the reply below it; Up and Down recall the
 * command buffer (filtered by what was typed before the first arrow); Tab completes file names
 * against the current folder; Backspace and Left never reach into the prompt; typing anywhere
 * else types at the end of the input line. Pasting several lines runs each complete line in turn.
 *
 * Appending never rebuilds the transcript: text is inserted at its end, so a long transcript costs
 * nothing per command.
 */
class VEMORAGUI_EXPORT CT4K2EditCtrl : public QPlainTextEdit
{
  Q_OBJECT
public:
  /** Longest line read by Enter; recall and completion read one character less. */
  static constexpr int MaxLineLength = 256;

  explicit CT4K2EditCtrl(QWidget* parent = nullptr);
  ~CT4K2EditCtrl() override;

  CT4K2EXE& GetInterpreter() { return this->exe; }
  void SetController(CVemoraCP* controller);

  /** Appends text at the end of the transcript ("\r\n" read as a line break); caret to the end. */
  void AppendText(const QString& text);
  /** Appends the interpreter's current prompt. */
  void AppendPrompt();
  /** Splits a line that starts with the prompt (as many characters as the prompt has are cut). */
  void ParseConsoleLine(const std::string& line,
    std::string& word,
    std::vector<std::string>& params);
  /** The same for the input line. */
  void ParseLastLine(std::string& word, std::vector<std::string>& params);
  /** The input line as shown (prompt included). */
  QString GetLastLine() const;
  /** Runs the input line, as Enter does. */
  void ExecuteLine();
  /** Prints a text on lines of its own below the transcript, then a fresh prompt. */
  void Speak(const QString& text);
  /**
   * Runs a script file on the console's own interpreter (so a module it starts stays active in
   * the console), showing each line after the prompt with its reply, as if typed. The script's
   * result (0 when every line succeeded).
   */
  int RunScript(const std::string& path);

  /** Replaces the input line by `line` (which should start with the prompt); caret to the end. */
  void ReplaceLastLine(const QString& line);

signals:
  /** A command or a script ran: the workspace or the viewer may have changed. */
  void CommandExecuted();

protected:
  void keyPressEvent(QKeyEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;

private:
  /** Older (true) or newer entries of the command buffer. */
  void Recall(bool older);
  void CompleteFileName();
  /** The caret's column when it is on the input line, else -1. */
  int CaretColumn() const;
  /** Moves the caret to the end unless it (and any selection) lies in the editable input. */
  void KeepCaretInInput();
  int PromptLength() const;
  QString Prompt() const;

  CT4K2EXE exe;
  std::string savedLine;
  std::string completionPattern;
  int completionRelative = 0;
  /** The running completion cycle: matches of the pattern (sorted) and the one shown last. */
  std::vector<std::string> finder;
  size_t finderPosition = 0;
};

#endif
