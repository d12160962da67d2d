#include "vApplication.h"

#include "vGuiTestSupport.h"
#include "vUserPrompt.h"
#include "vVtkOutputCapture.h"

#include <vtkRenderWindow.h> // for the baseline helpers

#include "vRenderBaseline.h"

#include <QVTKOpenGLNativeWidget.h>

#include <QPushButton>
#include <QSurfaceFormat>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <new>

namespace
{
/** Every test of this program runs under the program's own application object. */
class vApplicationEnvironment : public ::testing::Environment
{
public:
  void SetUp() override
  {
    if (QCoreApplication::instance() || !vHasDisplay())
    {
      return;
    }
    QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat());
    static int argc = 1;
    static char name[] = "VemoraAppTests";
    static char* argv[] = { name, nullptr };
    new vApplication(argc, argv); // lives as long as the program
  }
};

::testing::Environment* const Environment =
  ::testing::AddGlobalTestEnvironment(new vApplicationEnvironment);
} // namespace

TEST(vApplication, AHandlerOutOfMemoryEndsThereAndTheWindowGoesOn)
{
  // An exception leaving a Qt event handler ends the program: a click, a menu entry or a queued
  // call that runs out of memory must end with a message instead.
  VEMORA_SKIP_WITHOUT_DISPLAY();
  ASSERT_NE(nullptr, dynamic_cast<vApplication*>(QCoreApplication::instance()));
  vExpectVtkMessages logged; // the failures are logged too
  QPushButton button(QStringLiteral("Run"));
  int clicks = 0;
  bool fail = true;
  QObject::connect(&button,
    &QPushButton::clicked,
    [&]()
    {
      ++clicks;
      if (fail)
      {
        throw std::bad_alloc();
      }
    });
  button.show();
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(1, clicks);
  const std::vector<std::string> texts = vGetDefaultUserPrompt()->GetTexts();
  EXPECT_EQ(1, std::count(texts.begin(), texts.end(), vApplication::OutOfMemoryText));

  QMetaObject::invokeMethod(
    &button, []() { throw std::bad_alloc(); }, Qt::QueuedConnection);
  vProcessEvents(20);
  EXPECT_EQ(2u, vGetDefaultUserPrompt()->GetTexts().size());

  fail = false;
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(2, clicks);
  EXPECT_EQ(2u, vGetDefaultUserPrompt()->GetTexts().size());
}
