#include "CT4K2EditCtrl.h"

#include "CVemoraCP.h"
#include "vCommandLine.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include <glob.h>

namespace
{
/** Every path matching a shell pattern, sorted; none for a pattern glob cannot use. */
std::vector<std::string> Glob(const std::string& pattern)
{
  std::vector<std::string> paths;
  glob_t found{};
  if (glob(pattern.c_str(), 0, nullptr, &found) == 0)
  {
    for (size_t i = 0; i < found.gl_pathc; ++i)
    {
      paths.emplace_back(found.gl_pathv[i]);
    }
  }
  globfree(&found);
  return paths;
}

QString RightTrimmed(const QString& text)
{
  int end = text.size();
  while (end > 0 && text[end - 1].isSpace())
  {
    --end;
  }
  return text.left(end);
}
} // namespace

CT4K2EditCtrl::CT4K2EditCtrl(QWidget* parent)
  : QPlainTextEdit(parent)
{
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSize(10);
  this->setFont(font);
  this->setLineWrapMode(QPlainTextEdit::NoWrap);
  this->setTabChangesFocus(false);
  this->setUndoRedoEnabled(false);
  this->setPlainText(this->Prompt());
  this->moveCursor(QTextCursor::End);
}

CT4K2EditCtrl::~CT4K2EditCtrl() = default;

void CT4K2EditCtrl::SetController(CVemoraCP* controller)
{
  this->exe.SetController(controller);
}

QString CT4K2EditCtrl::Prompt() const
{
  return QString::fromStdString(this->exe.GetStarter());
}

int CT4K2EditCtrl::PromptLength() const
{
  return this->Prompt().size();
}

void CT4K2EditCtrl::AppendText(const QString& text)
{
  QString plain = text;
  plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QTextCursor cursor(this->document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(plain);
  this->setTextCursor(cursor);
  this->ensureCursorVisible();
}

void CT4K2EditCtrl::AppendPrompt()
{
  this->AppendText(this->Prompt());
}

QString CT4K2EditCtrl::GetLastLine() const
{
  return this->document()->lastBlock().text();
}

void CT4K2EditCtrl::ParseConsoleLine(const std::string& line,
  std::string& word,
  std::vector<std::string>& params)
{
  const size_t promptLength = this->exe.GetStarter().size();
  vCommandLine::SplitConsole(
    line.size() > promptLength ? line.substr(promptLength) : std::string(), word, params);
}

void CT4K2EditCtrl::ParseLastLine(std::string& word, std::vector<std::string>& params)
{
  this->ParseConsoleLine(this->GetLastLine().left(MaxLineLength).toStdString(), word, params);
}

int CT4K2EditCtrl::CaretColumn() const
{
  const QTextCursor cursor = this->textCursor();
  if (cursor.block() != this->document()->lastBlock())
  {
    return -1;
  }
  return cursor.positionInBlock();
}

void CT4K2EditCtrl::KeepCaretInInput()
{
  const QTextCursor cursor = this->textCursor();
  const QTextBlock last = this->document()->lastBlock();
  const int inputStart = last.position() + this->PromptLength();
  if (cursor.selectionStart() < inputStart)
  {
    this->moveCursor(QTextCursor::End);
  }
}

void CT4K2EditCtrl::ReplaceLastLine(const QString& line)
{
  QTextCursor cursor(this->document());
  cursor.movePosition(QTextCursor::End);
  cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
  cursor.insertText(line);
  this->setTextCursor(cursor);
  this->ensureCursorVisible();
}

void CT4K2EditCtrl::ExecuteLine()
{
  const std::string line = this->GetLastLine().left(MaxLineLength).toStdString();
  const size_t promptLength = this->exe.GetStarter().size();
  this->exe.UpdateCommandBuffer(line.size() > promptLength ? line.substr(promptLength) : "");

  std::string word;
  std::vector<std::string> params;
  this->ParseConsoleLine(line, word, params);
  std::string reply;
  if ((word == "clear" || word == "clr") && params.empty())
  {
    this->setPlainText(this->Prompt());
  }
  else
  {
    this->exe.ProcCommand(word, params);
    reply = this->exe.GetLastMessage();
  }
  if (!reply.empty())
  {
    this->AppendText(QStringLiteral("\n") + QString::fromStdString(reply));
  }
  this->AppendText(QStringLiteral("\n"));
  this->AppendPrompt();
  this->exe.InitBufferPointer();
  this->savedLine.clear();
  this->setFocus();
  emit this->CommandExecuted();
}

void CT4K2EditCtrl::Speak(const QString& text)
{
  this->AppendText(QStringLiteral("\n") + text + QStringLiteral("\n"));
  this->AppendPrompt();
}

int CT4K2EditCtrl::RunScript(const std::string& path)
{
  this->exe.SetLineObserver(
    [this](int, const std::string& text, int, const std::string& reply)
    {
      // The prompt shown is the one the line was typed at; the next prompt may be a module's.
      this->AppendText(QString::fromStdString(text));
      if (!reply.empty())
      {
        this->AppendText(QStringLiteral("\n") + QString::fromStdString(reply));
      }
      this->AppendText(QStringLiteral("\n"));
      this->AppendPrompt();
    });
  const int result = this->exe.RunScriptFromUI(path);
  this->exe.SetLineObserver(nullptr);
  emit this->CommandExecuted();
  return result;
}

void CT4K2EditCtrl::Recall(bool older)
{
  const QString last = this->GetLastLine().left(MaxLineLength - 1);
  if (this->savedLine.empty())
  {
    // What the user typed: the text after the prompt's last ">".
    const QString prompt = this->Prompt();
    const QChar marker = prompt.size() >= 2 ? prompt[prompt.size() - 2] : QChar('>');
    const int at = last.lastIndexOf(marker);
    this->savedLine = (at >= 0 ? last.mid(at + 1) : last).toStdString();
    this->finder.clear();
  }
  const std::string prefix = vCommandLine::Trim(this->savedLine);
  std::string entry;
  if (prefix.empty())
  {
    entry = older ? this->exe.GetNextCommand() : this->exe.GetPreviousCommand();
  }
  else
  {
    entry = older ? this->exe.GetNextCommand(prefix) : this->exe.GetPreviousCommand(prefix);
  }
  const QString line = this->Prompt() + RightTrimmed(QString::fromStdString(entry));
  if (line.size() > this->PromptLength())
  {
    this->ReplaceLastLine(line);
  }
}

void CT4K2EditCtrl::CompleteFileName()
{
  CVemoraCP* controller = this->exe.GetBoss();
  const std::string folder = controller ? controller->GetCurDir() : std::string();
  std::string word;
  std::vector<std::string> params;
  const bool running = !this->savedLine.empty() && !this->finder.empty();
  if (running)
  {
    this->ParseConsoleLine(this->savedLine, word, params);
    this->finderPosition = (this->finderPosition + 1) % this->finder.size();
  }
  else
  {
    const std::string line = this->GetLastLine().left(MaxLineLength - 1).toStdString();
    this->ParseConsoleLine(line, word, params);
    if (params.empty())
    {
      return;
    }
    std::string typed = params.back();
    if (!typed.empty() && typed[0] == '\'')
    {
      typed.erase(0, 1);
    }
    std::string pattern =
      (folder.empty() || folder.back() == '/' ? folder : folder + "/") + typed + "*";
    std::vector<std::string> matches =
      typed.empty() || typed[0] != '/' ? Glob(pattern) : std::vector<std::string>();
    this->completionRelative = matches.empty() ? 0 : 1;
    if (matches.empty())
    {
      pattern = typed + "*";
      matches = Glob(pattern);
      if (matches.empty())
      {
        return;
      }
    }
    this->completionPattern = pattern;
    this->finder = std::move(matches);
    this->finderPosition = 0;
  }
  if (params.empty())
  {
    return;
  }

  std::string match = this->finder[this->finderPosition];
  if (this->completionRelative == 1)
  {
    // Relative to the current folder and without a leading "/", so it never reads as absolute.
    match.erase(0, std::min(match.size(), folder.size()));
    if (!match.empty() && match[0] == '/')
    {
      match.erase(0, 1);
    }
  }
  std::string line = this->exe.GetStarter() + word;
  for (size_t i = 0; i + 1 < params.size(); ++i)
  {
    line += " " + params[i];
  }
  line += " '" + match;
  this->ReplaceLastLine(QString::fromStdString(line));
  if (!running)
  {
    this->savedLine = line;
  }
}

void CT4K2EditCtrl::keyPressEvent(QKeyEvent* event)
{
  const int key = event->key();
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  const bool plain = (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0;

  if (key == Qt::Key_Left && plain)
  {
    if (this->CaretColumn() > this->PromptLength())
    {
      this->moveCursor(QTextCursor::Left,
        (modifiers & Qt::ShiftModifier) ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    }
    return;
  }
  if ((key == Qt::Key_Up || key == Qt::Key_Down) && plain)
  {
    this->Recall(key == Qt::Key_Up);
    return;
  }
  if (key == Qt::Key_Backspace && plain)
  {
    const QTextCursor cursor = this->textCursor();
    if (cursor.hasSelection())
    {
      this->KeepCaretInInput();
      if (this->textCursor().hasSelection())
      {
        this->textCursor().removeSelectedText();
      }
    }
    else if (this->CaretColumn() > this->PromptLength())
    {
      this->textCursor().deletePreviousChar();
    }
    this->exe.InitBufferPointer();
    this->savedLine.clear();
    return;
  }
  if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
  {
    this->CompleteFileName();
    return;
  }
  if (key == Qt::Key_Return || key == Qt::Key_Enter)
  {
    this->moveCursor(QTextCursor::End);
    this->ExecuteLine();
    return;
  }
  if (key == Qt::Key_Escape)
  {
    this->savedLine.clear();
    return;
  }
  if (key == Qt::Key_Delete && plain)
  {
    // Forward deletion edits the input line only.
    if (this->CaretColumn() >= this->PromptLength())
    {
      QPlainTextEdit::keyPressEvent(event);
    }
    return;
  }
  const QString text = event->text();
  const bool typing = plain && !text.isEmpty() && text[0].isPrint();
  if (typing || event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut))
  {
    this->KeepCaretInInput();
    this->savedLine.clear();
  }
  QPlainTextEdit::keyPressEvent(event);
}

void CT4K2EditCtrl::insertFromMimeData(const QMimeData* source)
{
  if (!source || !source->hasText())
  {
    return;
  }
  this->KeepCaretInInput();
  QString text = source->text();
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  const QStringList lines = text.split(QLatin1Char('\n'));
  for (int i = 0; i < lines.size(); ++i)
  {
    this->textCursor().insertText(lines[i]);
    if (i + 1 < lines.size())
    {
      // Every complete line runs as if typed and entered; the last part stays on the input line.
      this->moveCursor(QTextCursor::End);
      this->ExecuteLine();
    }
  }
  this->savedLine.clear();
}
