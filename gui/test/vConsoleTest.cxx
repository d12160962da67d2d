// The console window driven with real key presses: what the transcript shows after Enter, clear,
// history recall, file-name completion, editing keys, pasting and module mode.

#include "CT4K2EditCtrl.h"
#include "Voxlet.h"

#include "CT4K2EXE.h"
#include "CVemoraCP.h"

#include "vGuiTestSupport.h"
#include <vtkRenderWindow.h> // for the baseline helpers

#include "vRenderBaseline.h"
#include "vTempHome.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

#include <memory>

namespace
{
class vConsole : public ::testing::Test
{
protected:
  void SetUp() override
  {
    VEMORA_SKIP_WITHOUT_DISPLAY();
    ASSERT_TRUE(vEnsureGuiApplication());
    this->Home.CopyFile(vBuiltPlugin("Modules", "vSceneModule"), "Modules/vSceneModule.so");
    ASSERT_EQ(this->CP.UIInit(), 0);
    this->Window = std::make_unique<Voxlet>();
    this->Window->SetController(&this->CP);
    this->Window->InitializeUI();
    this->Window->resize(600, 400);
    this->Window->show();
    this->Edit = this->Window->GetEditCtrl();
    this->Edit->setFocus();
  }

  void Type(const QString& text) { QTest::keyClicks(this->Edit, text); }
  void Key(Qt::Key key) { QTest::keyClick(this->Edit, key); }
  void Enter(const QString& text)
  {
    this->Type(text);
    this->Key(Qt::Key_Return);
  }
  QString Transcript() const { return this->Edit->toPlainText(); }
  QString LastLine() const { return this->Edit->GetLastLine(); }

  vTempHome Home;
  CVemoraCP CP;
  std::unique_ptr<Voxlet> Window;
  CT4K2EditCtrl* Edit = nullptr;
};
} // namespace

TEST_F(vConsole, EnterRunsTheLineAndPrintsItsReply)
{
  EXPECT_EQ(this->Transcript(), ">> ");
  // An empty line: stored in the history, nothing printed, a new prompt below.
  this->Key(Qt::Key_Return);
  EXPECT_EQ(this->Transcript(), ">> \n>> ");
  EXPECT_EQ(this->Edit->GetInterpreter().GetCommandFromBuffer(0), "");

  this->Enter("nosuchword");
  EXPECT_EQ(this->Transcript(), ">> \n>> nosuchword\nerror: undefined variable or function\n\n>> ");
  EXPECT_EQ(this->Edit->GetInterpreter().GetCommandFromBuffer(0), "nosuchword");
}

TEST_F(vConsole, ClearEmptiesTheTranscriptOnlyWhenAlone)
{
  this->Enter("nosuchword");
  this->Enter("clr");
  EXPECT_EQ(this->Transcript(), ">> \n>> ");
  this->Enter("clear");
  EXPECT_EQ(this->Transcript(), ">> \n>> ");
  // With a parameter the line goes to the interpreter, which answers.
  this->Enter("clr viewer");
  EXPECT_TRUE(this->Transcript().startsWith(">> \n>> clr viewer\n"));
  EXPECT_GT(this->Transcript().count('\n'), 2);
}

TEST_F(vConsole, UpAndDownRecallByThePrefixTypedFirst)
{
  CT4K2EXE& exe = this->Edit->GetInterpreter();
  exe.UpdateCommandBuffer("open a.vtk");
  exe.UpdateCommandBuffer("show x");
  exe.UpdateCommandBuffer("open b.vtk");

  this->Type("op");
  this->Key(Qt::Key_Up);
  EXPECT_EQ(this->LastLine(), ">> open b.vtk");
  this->Key(Qt::Key_Up);
  EXPECT_EQ(this->LastLine(), ">> open a.vtk");
  this->Key(Qt::Key_Down);
  EXPECT_EQ(this->LastLine(), ">> open b.vtk");

  // Escape ends the cycle: an empty line then walks every entry, newest first, and wraps.
  this->Key(Qt::Key_Escape);
  this->Edit->ReplaceLastLine(">> ");
  exe.InitBufferPointer();
  QStringList seen;
  for (int i = 0; i < 4; ++i)
  {
    this->Key(Qt::Key_Up);
    seen << this->LastLine();
  }
  EXPECT_EQ(seen, QStringList({ ">> open b.vtk", ">> show x", ">> open a.vtk", ">> open b.vtk" }));
}

TEST_F(vConsole, TabCyclesThroughMatchingFiles)
{
  this->Home.WriteFile("data/skull.vtk", "x");
  this->Home.WriteFile("data/skin.vtk", "x");
  this->Home.WriteFile("data/other.vtk", "x");
  this->CP.SetCurDir(this->Home.Sub("data"));

  this->Type("open sk");
  this->Key(Qt::Key_Tab);
  EXPECT_EQ(this->LastLine(), ">> open 'skin.vtk");
  this->Key(Qt::Key_Tab);
  EXPECT_EQ(this->LastLine(), ">> open 'skull.vtk");
  this->Key(Qt::Key_Tab);
  EXPECT_EQ(this->LastLine(), ">> open 'skin.vtk");

  // A typed absolute path is completed as given, in full.
  this->Key(Qt::Key_Escape);
  this->Edit->ReplaceLastLine(">> ");
  this->Type("open " + QString::fromStdString(this->Home.Sub("data/oth")));
  this->Key(Qt::Key_Tab);
  EXPECT_EQ(
    this->LastLine(), ">> open '" + QString::fromStdString(this->Home.Sub("data/other.vtk")));

  // Nothing matches: the line stays.
  this->Key(Qt::Key_Escape);
  this->Edit->ReplaceLastLine(">> open zz");
  this->Key(Qt::Key_Tab);
  EXPECT_EQ(this->LastLine(), ">> open zz");
}

TEST_F(vConsole, EditingKeysStayOnTheInputLine)
{
  // Backspace and Left never reach into the prompt.
  this->Key(Qt::Key_Backspace);
  this->Key(Qt::Key_Left);
  EXPECT_EQ(this->Transcript(), ">> ");
  this->Type("ab");
  this->Key(Qt::Key_Left);
  this->Key(Qt::Key_Left);
  this->Key(Qt::Key_Left);
  this->Type("x");
  EXPECT_EQ(this->LastLine(), ">> xab");

  // Typing while the caret is in an older line types at the end of the input line.
  this->Key(Qt::Key_Return);
  QTextCursor cursor = this->Edit->textCursor();
  cursor.setPosition(1);
  this->Edit->setTextCursor(cursor);
  this->Type("q");
  EXPECT_EQ(this->LastLine(), ">> q");
  EXPECT_TRUE(this->Transcript().startsWith(">> xab\n"));
}

TEST_F(vConsole, PastedLinesRunOneAfterTheOther)
{
  QApplication::clipboard()->setText("nosuchword\r\nclr\ncd");
  this->Edit->paste();
  // "nosuchword" ran, "clr" cleared, "cd" waits on the input line.
  EXPECT_EQ(this->Transcript(), ">> \n>> cd");
  EXPECT_EQ(this->Edit->GetInterpreter().GetCommandFromBuffer(0), "clr");
  EXPECT_EQ(this->Edit->GetInterpreter().GetCommandFromBuffer(1), "nosuchword");
}

TEST_F(vConsole, ModuleModeShowsTheModulesPromptAndSpeakKeepsTheTypedText)
{
  this->Enter("Scene");
  EXPECT_EQ(this->LastLine(), "Scene >> ");
  this->Type("half");
  this->Window->Speak("picked");
  EXPECT_TRUE(this->Transcript().endsWith("Scene >> half\npicked\nScene >> "));
  this->Edit->ReplaceLastLine("Scene >> ");
  this->Enter("exit");
  EXPECT_EQ(this->LastLine(), ">> ");
}

TEST_F(vConsole, DestroyingTheWindowWritesTheHistory)
{
  this->Enter("nosuchword");
  const std::string history = this->Edit->GetInterpreter().GetHistoryPath();
  this->Window.reset();
  EXPECT_NE(vReadFile(history).find("nosuchword"), std::string::npos);
}
