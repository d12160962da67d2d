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
#include <vtkPolyDataWriter.h>
#include <vtkSphereSource.h>

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
    if (this->StopOnKnownFraction && fraction >= 0)
    {
      this->SawKnownFraction = true;
      return false;
    }
    return this->StopAt == 0 || static_cast<int>(this->Fractions.size()) < this->StopAt;
  }
  void End() override { ++this->Ends; }

  int StopAt;
  bool StopOnKnownFraction = false;
  bool SawKnownFraction = false;
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
    for (double fraction : progress.Fractions)
    {
      EXPECT_LE(fraction, 1.0); // known (0 to 1) once the helper sends slices, else -1
    }
  }
  // Stopped at once (0 %): nothing is added, no message, and the same file opens afterwards.
  {
    CVemoraCPEXE engine;
    vGetDefaultUserPrompt()->Reset();
    vRecordingProgress progress(1);
    EXPECT_EQ(engine.OpenFile(series), -1);
    EXPECT_EQ(engine.GetVolume()->GetNumberOfItems(), 0);
    EXPECT_TRUE(vGetDefaultUserPrompt()->GetTexts().empty());
    EXPECT_FALSE(vProgressScope::Cancelled());
    progress.StopAt = 0;
    EXPECT_EQ(engine.OpenFile(series), CVemoraCPEXE::Image);
  }
  // Stopped once the helper has said how far it is (mid-read): the same. A read that ends before
  // any such report cannot be stopped there, and then it simply succeeds.
  {
    CVemoraCPEXE engine;
    vGetDefaultUserPrompt()->Reset();
    vRecordingProgress progress;
    progress.StopOnKnownFraction = true;
    const int result = engine.OpenFile(series);
    const bool stopped = progress.SawKnownFraction;
    EXPECT_EQ(result, stopped ? -1 : CVemoraCPEXE::Image);
    EXPECT_EQ(engine.GetVolume()->GetNumberOfItems(), stopped ? 0 : 1);
    EXPECT_TRUE(vGetDefaultUserPrompt()->GetTexts().empty());
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

TEST(OpenProgress, StoppedModelReadsKeepTheWorkspace)
{
  vTempHome home;
  vtkNew<vtkSphereSource> sphere;
  sphere->SetThetaResolution(64);
  sphere->SetPhiResolution(64);
  sphere->Update();
  vtkNew<vtkPolyDataWriter> writer;
  writer->SetInputData(sphere->GetOutput());
  writer->SetFileTypeToBinary();
  writer->SetFileName(home.Sub("ball.vtk").c_str());
  ASSERT_EQ(writer->Write(), 1);
  const std::string obj =
    home.WriteFile("tri.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nf 1 2 3\nf 1 3 4\n");
  for (const std::string& path : { home.Sub("ball.vtk"), obj })
  {
    CVemoraCPEXE engine;
    vGetDefaultUserPrompt()->Reset();
    {
      vRecordingProgress progress(1);
      EXPECT_EQ(engine.OpenFile(path), -1) << path;
      EXPECT_EQ(progress.Fractions.size(), 1u) << path;
    }
    EXPECT_EQ(engine.GetModel()->GetNumberOfItems(), 0) << path;
    EXPECT_TRUE(vGetDefaultUserPrompt()->GetTexts().empty()) << path;
    EXPECT_EQ(engine.OpenFile(path), CVemoraCPEXE::SurfaceMesh) << path;
  }
}
