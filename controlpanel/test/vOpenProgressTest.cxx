// Opening files with a progress reporter installed: a DICOM series read in the read helper and a
// QV volume read here report how far they are, and a read the user stops leaves the workspace as
// it was, without a message.

#include "CVemoraCPEXE.h"
#include "vDataResource.h"
#include "vVolumeResource.h"

#include "vProgress.h"
#include "vQVFile.h"
#include "vUserPrompt.h"

#include "vTempHome.h"

#include <vtkImageData.h>
#include <vtkNew.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
/** Records what it is told; says stop at the report `stopAt` (counting from 1), or never. */
class vRecordingProgress : public vProgress
{
public:
  explicit vRecordingProgress(int stopAt = 0)
    : StopAt(stopAt)
  {
    vProgress::Install(this);
  }
  ~vRecordingProgress() override { vProgress::Install(nullptr); }
  void Begin(const std::string& text) override { this->Texts.push_back(text); }
  bool Update(double fraction) override
  {
    this->Fractions.push_back(fraction);
    return this->StopAt == 0 || static_cast<int>(this->Fractions.size()) < this->StopAt;
  }
  void End() override { ++this->Ends; }

  int StopAt;
  std::vector<std::string> Texts;
  std::vector<double> Fractions;
  int Ends = 0;
};
} // namespace

TEST(OpenProgress, SeriesReportsAndStopsWhereTheUserSays)
{
  vTempHome home;
  const std::string series = vTestData("dicom/series-mr-epi-sag-63");
  {
    CVemoraCPEXE engine;
    vRecordingProgress progress;
    ASSERT_EQ(engine.OpenFile(series), CVemoraCPEXE::Image);
    EXPECT_EQ(progress.Texts, std::vector<std::string>({ "Reading series-mr-epi-sag-63" }));
    EXPECT_EQ(progress.Ends, 1);
    ASSERT_FALSE(progress.Fractions.empty());
    double largest = -1;
    for (double fraction : progress.Fractions)
    {
      EXPECT_LE(fraction, 1.0);
      largest = std::max(largest, fraction);
    }
    EXPECT_GE(largest, 0.0); // the helper said how far it was
  }
  // Stopped at once (0 %) and once the helper has started sending: nothing is added, no message.
  for (int stopAt : { 1, 3 })
  {
    CVemoraCPEXE engine;
    vGetDefaultUserPrompt()->Reset();
    vRecordingProgress progress(stopAt);
    EXPECT_EQ(engine.OpenFile(series), -1) << stopAt;
    EXPECT_EQ(engine.GetVolume()->GetNumberOfItems(), 0);
    EXPECT_TRUE(vGetDefaultUserPrompt()->GetTexts().empty());
    EXPECT_FALSE(vProgressScope::Cancelled());
    // The same file opens afterwards.
    progress.StopAt = 0;
    EXPECT_EQ(engine.OpenFile(series), CVemoraCPEXE::Image);
  }
}

TEST(OpenProgress, StoppedVolumeReadKeepsTheWorkspace)
{
  vTempHome home;
  vtkNew<vtkImageData> image;
  image->SetDimensions(256, 256, 160); // 40 MiB of voxels
  image->AllocateScalars(VTK_UNSIGNED_INT, 1);
  std::string error;
  ASSERT_TRUE(vQVFile::Write(home.Sub("big.qv"), image, error)) << error;
  CVemoraCPEXE engine;
  engine.GetModel()->New({ "sphere", "0", "0", "0", "1" });
  {
    vRecordingProgress progress(1);
    EXPECT_EQ(engine.OpenFile(home.Sub("big.qv")), -1);
    EXPECT_EQ(progress.Fractions.size(), 1u);
  }
  EXPECT_EQ(engine.GetVolume()->GetNumberOfItems(), 0);
  EXPECT_EQ(engine.GetModel()->GetNumberOfItems(), 1);
  EXPECT_TRUE(vGetDefaultUserPrompt()->GetTexts().empty());
  // Without anyone watching, the same read goes through.
  EXPECT_EQ(engine.OpenFile(home.Sub("big.qv")), CVemoraCPEXE::Image);
}
