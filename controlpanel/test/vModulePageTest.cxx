// The pages that the shipped view modules add to a real Qt component panel: their buttons run the
// module's own commands, and they outlive the module's library safely.

#include "CVemoraCP.h"
#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"
#include "vComponentPanel.h"
#include "vModuleContract.h"

#include "vControlPanelTestSupport.h"
#include "vRenderBaseline.h"

#include <vtkRenderWindow.h> // for the display check

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace
{
/** The program's one Qt application, made on first use (off screen unless told otherwise). */
void vEnsureApplication()
{
  if (QCoreApplication::instance())
  {
    return;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
  {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  static int argc = 1;
  static char name[] = "VemoraCPTests";
  static char* argv[] = { name, nullptr };
  new QApplication(argc, argv); // lives as long as the program
}

/** The component panel as the GUI makes it: a tab widget whose pages are the modules' pages. */
class vTabPanel : public vComponentPanel
{
public:
  void AddTabItem(int index, const std::string& name, QWidget* page) override
  {
    this->Tabs.insertTab(index, page ? page : new QWidget, QString::fromStdString(name));
  }
  int GetNumberOfTabs() override { return this->Tabs.count(); }
  void SelectTab(const std::string& name) override
  {
    for (int i = this->Tabs.count() - 1; i >= 0; --i)
    {
      if (this->Tabs.tabText(i).compare(QString::fromStdString(name), Qt::CaseInsensitive) == 0)
      {
        this->Tabs.setCurrentIndex(i);
        return;
      }
    }
  }
  void HideTabs() override { this->Tabs.hide(); }
  void InitTab() override { this->Tabs.setCurrentIndex(0); }
  QTabWidget Tabs;
};

/** A panel that only records the pages it is given. */
class vPageRecorder : public vComponentPanel
{
public:
  void AddTabItem(int, const std::string& name, QWidget* page) override
  {
    this->Names.push_back(name);
    this->Pages.push_back(page);
  }
  int GetNumberOfTabs() override { return static_cast<int>(this->Names.size()); }
  void SelectTab(const std::string&) override {}
  void HideTabs() override {}
  void InitTab() override {}
  std::vector<std::string> Names;
  std::vector<QWidget*> Pages;
};

class vModulePage : public ::testing::Test
{
protected:
  void SetUp() override
  {
    this->Home.CopyFile(vShippedPlugin("Modules", "vSceneModule"), "Modules/vSceneModule.so");
    ASSERT_EQ(this->CP.UIInit(), 0);
    this->Modules = this->CP.GetEXE()->GetModules();
    this->Scene = this->Modules->FindModule("Scene");
    ASSERT_GE(this->Scene, 0);
  }

  std::string Ask(const std::string& text)
  {
    auto command = this->Modules->GetModuleFunction<vModuleCommandFunction>(this->Scene, "Command");
    auto message =
      this->Modules->GetModuleFunction<vModuleTextFunction>(this->Scene, "GetLastMessage");
    if (!command || !message)
    {
      return "(no module)";
    }
    command(text.c_str());
    return message();
  }

  /** Clicks the page's widget named `name` and returns the reply line. */
  static std::string Click(QWidget* page, const char* name)
  {
    auto* button = page->findChild<QPushButton*>(name);
    auto* reply = page->findChild<QLabel*>("reply");
    if (!button || !reply)
    {
      return std::string("(no widget ") + name + ")";
    }
    QTest::mouseClick(button, Qt::LeftButton);
    return reply->text().toStdString();
  }

  vTempHome Home;
  vQuietPrompt Prompt;
  CVemoraCP CP;
  CVemoraModules* Modules = nullptr;
  int Scene = -1;
};
} // namespace

TEST_F(vModulePage, ButtonsRunTheModulesCommandsUntilItIsUnloaded)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vEnsureApplication();
  auto panel = std::make_unique<vTabPanel>();
  this->CP.SetComponentPanel(panel.get());
  ASSERT_EQ(this->CP.GetEXE()->CreateViewingTab(), 0);
  ASSERT_EQ(this->CP.Open(vTestData("mesh/vtk/carotid.vtk")), "File loaded");
  this->CP.RunModuleRoutine();

  ASSERT_EQ(panel->Tabs.count(), 1);
  EXPECT_EQ(panel->Tabs.tabText(0).toStdString(), "Scene");
  QPointer<QWidget> page = panel->Tabs.widget(0);
  ASSERT_TRUE(page);
  EXPECT_EQ(page->objectName().toStdString(), "Scene");
  EXPECT_NE(page->parent(), nullptr); // the panel's now

  // Before the viewer exists the module says so, on the page as on the console.
  EXPECT_EQ(Click(page, "action pan"), "error: no viewer, start with coolstart");
  EXPECT_EQ(Click(page, "coolstart"), "Scene: viewer ready");
  EXPECT_NE(this->Modules->GetViewer(this->Scene), nullptr);

  // The mouse action set from the page is the module's, and the console's change shows through.
  EXPECT_EQ(Click(page, "action pan"), "action: pan");
  EXPECT_EQ(this->Ask("action"), "action: pan");
  EXPECT_EQ(this->Ask("action tag"), "action: tag");
  EXPECT_EQ(Click(page, "action rotate"), "action: rotate");
  EXPECT_EQ(this->Ask("action"), "action: rotate");

  // The Scene module's own commands, with a volume shown.
  EXPECT_EQ(Click(page, "orientation xz"), "error: no image layer");
  EXPECT_EQ(this->Ask("add carotid"), "carotid added");
  EXPECT_EQ(Click(page, "orientation xz"), "orientation xz");
  auto* slice = page->findChild<QSpinBox*>("slice");
  ASSERT_NE(slice, nullptr);
  slice->setValue(5);
  EXPECT_EQ(Click(page, "slice N"), "slice 5");
  slice->setValue(slice->maximum());
  EXPECT_EQ(Click(page, "slice N"), "error: slice out of range");
  EXPECT_EQ(Click(page, "clip on"), "clipping on");
  EXPECT_EQ(Click(page, "clip off"), "clipping off");
  EXPECT_EQ(Click(page, "reset"), "camera reset");
  EXPECT_EQ(Click(page, "render"), "rendered");
  EXPECT_EQ(Click(page, "next"), "error: no live data shown");
  EXPECT_NE(Click(page, "layers").find("number of layers: 1"), std::string::npos);

  // The engine goes, the module is released and its library unloaded: the page stays in the
  // panel, disabled, and nothing on it reaches the unloaded code any more.
  this->CP.Delete();
  ASSERT_TRUE(page);
  EXPECT_FALSE(page->isEnabled());
  EXPECT_EQ(page->findChild<QLabel*>("reply")->text().toStdString(), "Scene is not loaded");
  auto* pan = page->findChild<QPushButton*>("action pan");
  ASSERT_NE(pan, nullptr);
  EXPECT_TRUE(QMetaObject::invokeMethod(pan, "clicked"));
  panel.reset();
  EXPECT_FALSE(page);
}

TEST_F(vModulePage, NoPageWithoutARoomyPanel)
{
  vEnsureApplication();
  int widgets = QApplication::allWidgets().size();
  // No panel: nothing made.
  this->CP.RunModuleRoutine();
  EXPECT_EQ(QApplication::allWidgets().size(), widgets);

  // A full panel takes no page: the one made is deleted again.
  auto full = std::make_unique<vTabPanel>();
  for (int i = 0; i < vComponentPanel::MaximumTabs; ++i)
  {
    full->Tabs.addTab(new QWidget, QString::number(i));
  }
  widgets = QApplication::allWidgets().size();
  this->CP.SetComponentPanel(full.get());
  this->CP.RunModuleRoutine();
  EXPECT_EQ(full->Tabs.count(), vComponentPanel::MaximumTabs);
  EXPECT_EQ(QApplication::allWidgets().size(), widgets);

  // With room, a page arrives; without a viewing tab its buttons report that.
  auto panel = std::make_unique<vTabPanel>();
  this->CP.SetComponentPanel(panel.get());
  this->CP.RunModuleRoutine();
  ASSERT_EQ(panel->Tabs.count(), 1);
  QWidget* page = panel->Tabs.widget(0);
  EXPECT_EQ(Click(page, "coolstart"), "error: no viewing tab available");
  EXPECT_EQ(Click(page, "action pan"), "error: no viewer, start with coolstart");
  // The page closed by the GUI before the module goes: the module forgets it, and runs again.
  delete page;
  this->CP.RunModuleRoutine();
  ASSERT_EQ(panel->Tabs.count(), 1);
  EXPECT_EQ(
    Click(panel->Tabs.widget(0), "action select"), "error: no viewer, start with coolstart");
  this->CP.SetComponentPanel(nullptr);
  this->CP.Delete();
}

TEST_F(vModulePage, WithoutAQtApplicationThePageIsEmpty)
{
  if (QCoreApplication::instance())
  {
    GTEST_SKIP() << "a Qt application exists already in this program";
  }
  vPageRecorder panel;
  this->CP.SetComponentPanel(&panel);
  this->CP.RunModuleRoutine();
  ASSERT_EQ(panel.Names.size(), 1U);
  EXPECT_EQ(panel.Names[0], "Scene");
  EXPECT_EQ(panel.Pages[0], nullptr);
  this->CP.SetComponentPanel(nullptr);
}

TEST_F(vModulePage, QuadviewPageOffersItsLayouts)
{
  vEnsureApplication();
  this->Home.CopyFile(vShippedPlugin("Modules", "vQuadviewModule"), "Modules/vQuadviewModule.so");
  CVemoraCP cp;
  ASSERT_EQ(cp.UIInit(), 0);
  vTabPanel panel;
  cp.SetComponentPanel(&panel);
  cp.RunModuleRoutine();
  ASSERT_EQ(panel.Tabs.count(), 2);
  int quadview = panel.Tabs.tabText(0) == "Quadview" ? 0 : 1;
  EXPECT_EQ(panel.Tabs.tabText(1 - quadview).toStdString(), "Scene");
  QWidget* page = panel.Tabs.widget(quadview);
  for (const char* name : { "enlarge iv0", "enlarge iv1", "enlarge iv2", "enlarge 3D", "restore" })
  {
    EXPECT_NE(page->findChild<QPushButton*>(name), nullptr) << name;
  }
  // Scene's own actions are not on Quadview's page.
  EXPECT_EQ(page->findChild<QPushButton*>("clip on"), nullptr);
  EXPECT_EQ(Click(page, "restore"), "error: no viewer, start with coolstart");
  cp.Delete();
  EXPECT_FALSE(page->isEnabled());
}
