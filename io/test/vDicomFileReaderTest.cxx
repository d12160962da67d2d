// DICOM through the file reader: files by name or by content, folders, and the failures the user
// sees ("error: unrecognized file format").
#include "vFileReader.h"

#include "vDicomTestFiles.h"
#include "vTempHome.h"

#include <gtest/gtest.h>

#include <vtkDataArray.h>
#include <vtkImageData.h>
#include <vtkPointData.h>

#include <string>

namespace
{
const char* const Unrecognized = "error: unrecognized file format";

struct vVolumeFacts
{
  int Dims[3] = { 0, 0, 0 };
  double Spacing[3] = { 0, 0, 0 };
  double Range[2] = { 0, 0 };
  double Sum = 0;
  int ScalarType = 0;
};

vVolumeFacts Facts(vFileReader& reader)
{
  vVolumeFacts facts;
  vtkImageData* image = vtkImageData::SafeDownCast(reader.GetOutput());
  EXPECT_NE(image, nullptr);
  if (!image)
  {
    return facts;
  }
  image->GetDimensions(facts.Dims);
  image->GetSpacing(facts.Spacing);
  vtkDataArray* scalars = image->GetPointData()->GetScalars();
  EXPECT_NE(scalars, nullptr);
  if (!scalars)
  {
    return facts;
  }
  facts.ScalarType = scalars->GetDataType();
  EXPECT_EQ(scalars->GetNumberOfTuples(),
    static_cast<vtkIdType>(facts.Dims[0]) * facts.Dims[1] * facts.Dims[2]);
  scalars->GetRange(facts.Range);
  for (vtkIdType i = 0; i < scalars->GetNumberOfTuples(); ++i)
  {
    facts.Sum += scalars->GetTuple1(i);
  }
  return facts;
}
} // namespace

TEST(vDicomFileReader, FilesAndFoldersBecomeUnsignedVolumes)
{
  vTempHome home;
  vFileReader reader;

  // A compressed file, by its extension.
  reader.SetFilename(vTestData("dicom/transfer-syntaxes/9.dcm"));
  ASSERT_EQ(reader.Read(), 1) << reader.GetErrorMessage();
  EXPECT_EQ(reader.GetOutputType(), 4);
  vVolumeFacts facts = Facts(reader);
  EXPECT_EQ(facts.Dims[0], 384);
  EXPECT_EQ(facts.Dims[1], 384);
  EXPECT_EQ(facts.Dims[2], 1);
  EXPECT_EQ(facts.ScalarType, VTK_UNSIGNED_INT);
  EXPECT_EQ(facts.Range[0], 0.0);
  EXPECT_EQ(facts.Range[1], 2362.0);
  EXPECT_EQ(facts.Sum, 38036663.0);
  EXPECT_NEAR(facts.Spacing[0], 3.25, 1e-6);

  // Frame by frame: a multi-frame file, and one without a name extension.
  reader.SetFilename(vTestData("dicom/multiframe/emri_small_jpeg_ls_lossless.dcm"));
  ASSERT_EQ(reader.Read(), 1) << reader.GetErrorMessage();
  facts = Facts(reader);
  EXPECT_EQ(facts.Dims[2], 10);
  EXPECT_EQ(facts.Sum, 4493276.0);
  reader.SetFilename(vTestData("dicom/series-mr-gre-sag-5/IM0003"));
  ASSERT_EQ(reader.Read(), 1) << reader.GetErrorMessage();
  facts = Facts(reader);
  EXPECT_EQ(facts.Dims[0], 42);
  EXPECT_EQ(facts.Dims[1], 64);

  // Whole volume: a folder series, spacing from the slice positions.
  reader.SetFilename(vTestData("dicom/series-mr-forearm-3"));
  ASSERT_EQ(reader.Read(), 1) << reader.GetErrorMessage();
  EXPECT_EQ(reader.GetOutputType(), 4);
  facts = Facts(reader);
  EXPECT_EQ(facts.Dims[0], 512);
  EXPECT_EQ(facts.Dims[1], 512);
  EXPECT_EQ(facts.Dims[2], 3);
  EXPECT_NEAR(facts.Spacing[2], 12.0, 1e-6);
  EXPECT_EQ(facts.ScalarType, VTK_UNSIGNED_INT);
  EXPECT_LE(facts.Range[1], 4095.0);

  // Content decides for an extension no format declares (ACR-NEMA, no preamble).
  reader.SetFilename(vTestData("dicom/single/mr.001"));
  ASSERT_EQ(reader.Read(), 1) << reader.GetErrorMessage();
  facts = Facts(reader);
  EXPECT_EQ(facts.Dims[0], 256);
  EXPECT_EQ(facts.Range[1], 2656.0);

  // Signed stored values: negative ones would become 0; this knee has none below 0.
  reader.SetFilename(vTestData("dicom/single/DICOM_KNEE.dcm"));
  ASSERT_EQ(reader.Read(), 1) << reader.GetErrorMessage();
  facts = Facts(reader);
  EXPECT_EQ(facts.Range[0], 0.0);
  EXPECT_EQ(facts.Range[1], 6930.0);
}

TEST(vDicomFileReader, DamagedDicomKeepsThePreviousOutput)
{
  vTempHome home;
  vFileReader reader;
  reader.SetFilename(vTestData("dicom/multiframe/emri_small.dcm"));
  ASSERT_EQ(reader.Read(), 1) << reader.GetErrorMessage();
  vtkDataSet* previous = reader.GetOutput();

  std::vector<char> bytes = vReadBytes(vTestData("dicom/multiframe/emri_small.dcm"));
  bytes.resize(bytes.size() - 1000);
  ASSERT_TRUE(vWriteBytes(home.Sub("local/cut.dcm"), bytes));
  reader.SetFilename(home.Sub("local/cut.dcm"));
  EXPECT_EQ(reader.Read(), 0);
  EXPECT_EQ(reader.GetErrorMessage(), Unrecognized);
  EXPECT_EQ(reader.GetOutput(), previous);
  EXPECT_EQ(reader.GetOutputType(), 4);

  home.WriteFile("local/notes/a.txt", "nothing to see\n");
  reader.SetFilename(home.Sub("local/notes"));
  EXPECT_EQ(reader.Read(), 0);
  EXPECT_EQ(reader.GetErrorMessage(), Unrecognized);

  // An undeclared extension whose content is not DICOM either.
  home.WriteFile("local/scan.xyz", "P 0.3 0.3 0.4 10 1 1558\n");
  reader.SetFilename(home.Sub("local/scan.xyz"));
  EXPECT_EQ(reader.Read(), 0);
  EXPECT_EQ(reader.GetErrorMessage(), Unrecognized);
  EXPECT_EQ(reader.GetOutput(), previous);
}
