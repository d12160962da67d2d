#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"

#include "vControlPanelTestSupport.h"
#include "vVtkOutputCapture.h"

#include "vDataResource.h"
#include "vFileReader.h"
#include "vInstallation.h"
#include "vQVFile.h"
#include "vRendererManager.h"
#include "vVolumeResource.h"

#include <vtkDataArray.h>
#include <vtkDataSet.h>
#include <vtkImageData.h>
#include <vtkPointData.h>
#include <vtkPolyData.h>
#include <vtkRenderWindow.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
std::string CurrentDirectory()
{
  char buffer[PATH_MAX];
  return getcwd(buffer, sizeof(buffer)) ? std::string(buffer) : std::string();
}
} // namespace

TEST(Engine, HardFolderScan)
{
  vTempHome home;
  vQuietPrompt prompt;
  home.CopyFile(vTestPlugin("vTestSourceFull"), "Hard/a_probe.so");
  home.CopyFile(vTestPlugin("vTestSourceNoVer"), "Hard/b_nover.so");
  home.WriteFile("Hard/c_notalibrary.so", "just text");
  home.CopyFile(vShippedPlugin("Hard", "vPhantomSource"), "Hard/d_phantom.so");
  home.WriteFile("Hard/e_ignored.txt", "not a library name");
  std::string before = CurrentDirectory();

  CVemoraCPEXE engine;
  EXPECT_EQ(CurrentDirectory(), before); // folders are read by absolute path
  EXPECT_EQ(prompt.Count("Couldn't load module"), 1);
  ASSERT_EQ(engine.GetNumberOfHardResources(), 2); // the one without "GetVer" is skipped
  EXPECT_EQ(engine.GetHardResourceName(0), "Probe");
  EXPECT_EQ(engine.GetHardResourceVer(0), "2.0");
  EXPECT_EQ(engine.GetHardResourceDesc(0), "test source");
  EXPECT_EQ(engine.GetHardResourceType(0), 16);
  EXPECT_EQ(engine.GetHardResourceDLL(0), home.Sub("Hard/a_probe.so"));
  EXPECT_EQ(engine.GetHardResourceName(1), "Phantom");
  EXPECT_EQ(engine.GetHardResourceType(1), CVemoraCPEXE::Image);
  EXPECT_EQ(engine.FindHardResource("PHANTOM"), 1);
  EXPECT_EQ(engine.FindHardResource("nothing"), -1);
  for (int bad : { -1, 2, 1000 })
  {
    EXPECT_EQ(engine.GetHardResourceName(bad), "");
    EXPECT_EQ(engine.GetHardResourceDLL(bad), "");
    EXPECT_EQ(engine.GetHardResourceType(bad), 0);
  }
  int type = -5;
  int index = -5;
  engine.Find("probe", type, index);
  EXPECT_EQ(type, CVemoraCPEXE::HardResource);
  EXPECT_EQ(index, 0);
  // A hard resource is found but never removed.
  EXPECT_EQ(engine.Remove("Probe"), 0);
  EXPECT_EQ(engine.GetNumberOfHardResources(), 2);

  // Construction order: everything exists, no viewing tab, no parent window.
  EXPECT_NE(engine.GetFileReader(), nullptr);
  EXPECT_NE(engine.GetModules(), nullptr);
  EXPECT_EQ(engine.GetModules()->GetRenderer(), engine.GetRenderers());
  EXPECT_EQ(engine.hasAtLeastOneViewingTab(), 0);
  EXPECT_EQ(engine.GetHwnd(), nullptr);
}

TEST(Engine, HardResourceTableIsBounded)
{
  vTempHome home;
  vQuietPrompt prompt;
  for (int i = 0; i < 200; ++i)
  {
    char name[32];
    snprintf(name, sizeof(name), "Hard/s%03d.so", i);
    home.CopyFile(vTestPlugin("vTestSourceFull"), name);
  }
  CVemoraCPEXE engine;
  EXPECT_EQ(engine.GetNumberOfHardResources(), CVemoraCPEXE::MaximumHardResources);
  EXPECT_EQ(engine.GetHardResourceDLL(127), home.Sub("Hard/s127.so"));
  EXPECT_FALSE(engine.AddHardResourcesInfo("x", "1", "d", 4, "/x.so"));
  EXPECT_EQ(engine.GetNumberOfHardResources(), CVemoraCPEXE::MaximumHardResources);
  EXPECT_EQ(prompt->GetRecords().size(), 0u);
}

TEST(Engine, DataNamesAndFolders)
{
  vTempHome home;
  CVemoraCPEXE engine;
  EXPECT_EQ(engine.ExtractFilePath("/data/head.vtk"), "/data");
  EXPECT_EQ(engine.ExtractFilePath("head.vtk"), "head.vtk");
  EXPECT_EQ(engine.ConstructDataName("/data/head.vtk"), "head");
  EXPECT_EQ(engine.ConstructDataName("/data/scan.old.dcm"), "scan.old");
  EXPECT_EQ(engine.ConstructDataName("head.vtk"), "head");
  EXPECT_EQ(engine.ConstructDataName(""), "");
  // Files without an extension (DICOM) are named by their whole name, folders (DICOM series) by
  // theirs, dots and all: never an empty name that no command could type.
  EXPECT_EQ(engine.ConstructDataName("/a/b.c/scan"), "scan");
  EXPECT_EQ(engine.ConstructDataName("/x/.hidden"), ".hidden");
  home.WriteFile("local/1.2.840.113619/notes.txt", "x");
  EXPECT_EQ(engine.ConstructDataName(home.Sub("local/1.2.840.113619")), "1.2.840.113619");
  EXPECT_EQ(engine.ConstructDataName(home.Sub("local/1.2.840.113619") + "/"), "1.2.840.113619");
}

TEST(Engine, DicomFoldersAndFilesGetNamesTheCommandsCanUse)
{
  vTempHome home;
  vQuietPrompt prompt;
  CVemoraCPEXE engine;
  const std::string folder = vTestData("dicom/series-mr-gre-sag-5");
  const std::string file = vTestData("dicom/series-mr-gre-sag-5/IM0003");
  ASSERT_EQ(engine.OpenFile(folder), CVemoraCPEXE::Image);
  ASSERT_EQ(engine.OpenFile(file), CVemoraCPEXE::Image);
  EXPECT_EQ(engine.GetVolume()->Find("series-mr-gre-sag-5"), 0);
  EXPECT_EQ(engine.GetVolume()->Find("IM0003"), 1);
  const std::string listing = engine.GetWorkspaceListing();
  EXPECT_NE(listing.find("series-mr-gre-sag-5"), std::string::npos) << listing;
  EXPECT_NE(listing.find("IM0003"), std::string::npos) << listing;
  EXPECT_TRUE(prompt->GetTexts().empty()); // a whole series: nothing to say

  // A folder read that leaves files out says so.
  home.CopyFile(vTestData("dicom/series-mr-gre-sag-5/IM0001"), "local/two/IM0001");
  home.CopyFile(vTestData("dicom/series-mr-gre-sag-5/IM0002"), "local/two/IM0002");
  home.CopyFile(vTestData("dicom/single/mr.001"), "local/two/other");
  ASSERT_EQ(engine.OpenFile(home.Sub("local/two")), CVemoraCPEXE::Image);
  ASSERT_EQ(prompt->GetTexts().size(), 1u);
  EXPECT_NE(prompt->GetTexts()[0].find("Left out: other."), std::string::npos)
    << prompt->GetTexts()[0];
}

TEST(Engine, SavesModelsAndVolumesByTheFileExtension)
{
  vTempHome home;
  vQuietPrompt prompt;
  CVemoraCPEXE engine;
  ASSERT_EQ(engine.OpenFile(vTestData("mesh/vtk/fran_cut.vtk")), CVemoraCPEXE::SurfaceMesh);
  ASSERT_EQ(engine.OpenFile(vTestData("mesh/vtk/carotid.vtk")), CVemoraCPEXE::Image);
  vtkDataSet* mesh = engine.GetModel()->GetData(0);
  vtkImageData* volume = engine.GetVolume()->GetImageData(0);

  // Each format is written whole and reads back as the same data.
  for (const char* name : { "out.vtk", "out.STL", "out.ply", "out.obj" })
  {
    const std::string path = home.Sub(name);
    ASSERT_EQ(engine.SaveData("fran_cut", path), CVemoraCPEXE::SaveDone) << name;
    vFileReader reader;
    reader.SetFilename(path);
    // STL and PLY are read by the plug-ins, which these temporary folders lack: check the size.
    if (std::string(name) == "out.vtk" || std::string(name) == "out.obj")
    {
      ASSERT_EQ(reader.Read(), 1) << name;
      EXPECT_EQ(reader.GetOutput()->GetNumberOfCells(), mesh->GetNumberOfCells()) << name;
    }
    else
    {
      struct stat info;
      ASSERT_EQ(::stat(path.c_str(), &info), 0) << name;
      EXPECT_GT(info.st_size, 4224 * 12) << name; // more than 12 bytes for each triangle
    }
  }
  for (const char* name : { "vol.vtk", "vol.qv" })
  {
    const std::string path = home.Sub(name);
    ASSERT_EQ(engine.SaveData("carotid", path), CVemoraCPEXE::SaveDone) << name;
    vFileReader reader;
    reader.SetFilename(path);
    ASSERT_EQ(reader.Read(), 1) << name;
    ASSERT_EQ(reader.GetOutputType(), vFileReader::ImageVolume) << name;
    int dims[3];
    vtkImageData::SafeDownCast(reader.GetOutput())->GetDimensions(dims);
    EXPECT_EQ(dims[0] * dims[1] * dims[2], volume->GetNumberOfPoints()) << name;
  }

  EXPECT_EQ(engine.SaveData("nosuch", home.Sub("x.vtk")), CVemoraCPEXE::SaveUnknownName);
  EXPECT_EQ(engine.SaveData("fran_cut", home.Sub("x.qv")), CVemoraCPEXE::SaveUnsupportedFormat);
  EXPECT_EQ(engine.SaveData("carotid", home.Sub("x.stl")), CVemoraCPEXE::SaveUnsupportedFormat);
  EXPECT_EQ(engine.SaveData("fran_cut", home.Sub("noext")), CVemoraCPEXE::SaveUnsupportedFormat);
  // A write that cannot happen fails and leaves what was there.
  home.WriteFile("keep/old.obj", "v 0 0 0\n");
  ::chmod(home.Sub("keep").c_str(), 0500);
  const bool writable = ::access(home.Sub("keep").c_str(), W_OK) == 0; // root writes anyway
  if (!writable)
  {
    EXPECT_EQ(engine.SaveData("fran_cut", home.Sub("keep/old.obj")), CVemoraCPEXE::SaveWriteFailed);
    EXPECT_EQ(vReadFile(home.Sub("keep/old.obj")), "v 0 0 0\n");
  }
  ::chmod(home.Sub("keep").c_str(), 0700);
  home.WriteFile("taken.vtk/inside", "a folder where the file should go");
  {
    vExpectVtkMessages messages; // the writer says why
    EXPECT_EQ(engine.SaveData("fran_cut", home.Sub("taken.vtk")), CVemoraCPEXE::SaveWriteFailed);
    EXPECT_EQ(
      engine.SaveData("fran_cut", home.Sub("nofolder/x.obj")), CVemoraCPEXE::SaveWriteFailed);
  }
}

TEST(Engine, OpenFindRemoveAndListing)
{
  vTempHome home;
  vQuietPrompt prompt;
  CVemoraCPEXE engine;
  EXPECT_EQ(engine.GetWorkspaceListing(), "Workspace is Empty");

  std::string mesh = vTestData("mesh/vtk/fran_cut.vtk");
  std::string points = vTestData("mesh/vtk/teeth.vtk");
  std::string volume = vTestData("mesh/vtk/carotid.vtk");
  EXPECT_EQ(engine.OpenFile(mesh), CVemoraCPEXE::SurfaceMesh);
  EXPECT_EQ(engine.OpenFile(points), CVemoraCPEXE::SmallPointSet);
  EXPECT_EQ(engine.OpenFile(volume), CVemoraCPEXE::Image);
  EXPECT_EQ(engine.isFileLoaded(mesh), 1);
  EXPECT_EQ(engine.isFileLoaded(volume), 1);
  EXPECT_EQ(engine.isFileLoaded(mesh + "x"), 0);
  // The same path again: -1, nothing added, nothing shown.
  EXPECT_EQ(engine.OpenFile(mesh), -1);
  EXPECT_EQ(engine.GetModel()->GetNumberOfItems(), 2);
  EXPECT_EQ(prompt->GetRecords().size(), 0u);

  EXPECT_EQ(engine.GetModel()->GetDataName(0), "fran_cut");
  EXPECT_EQ(engine.GetModel()->GetFilename(0), mesh);
  EXPECT_EQ(engine.GetModel()->GetType(), "model");
  EXPECT_EQ(engine.GetVolume()->GetDataName(0), "carotid");
  EXPECT_EQ(engine.GetVolume()->GetType(), "image");
  // The collections take the reader's output over: the reader keeps no second reference.
  EXPECT_EQ(engine.GetFileReader()->GetOutput(), nullptr);

  EXPECT_EQ(engine.GetWorkspaceListing(),
    "id      name                type                \r\n"
    "0       fran_cut            <model>             \r\n"
    "1       teeth               <model>             \r\n"
    "2       carotid             <image>             \r\n");

  int type = 0;
  int index = 0;
  engine.Find("carotid", type, index);
  EXPECT_EQ(type, CVemoraCPEXE::Image);
  EXPECT_EQ(index, 0);
  engine.Find("Carotid", type, index); // volume names keep their letter case
  EXPECT_EQ(type, 0);
  EXPECT_EQ(index, -1);

  // A model shadows a volume of the same name.
  std::string twin = home.CopyFile(mesh, "local/carotid.vtk");
  EXPECT_EQ(engine.OpenFile(twin), CVemoraCPEXE::SurfaceMesh);
  engine.Find("carotid", type, index);
  EXPECT_EQ(type, CVemoraCPEXE::Model);
  EXPECT_EQ(index, 2);
  EXPECT_EQ(engine.Remove("carotid"), 0); // the model goes first
  engine.Find("carotid", type, index);
  EXPECT_EQ(type, CVemoraCPEXE::Image);
  EXPECT_EQ(engine.Remove("carotid"), 0);
  EXPECT_EQ(engine.GetVolume()->GetNumberOfItems(), 0);
  EXPECT_EQ(engine.Remove("carotid"), -1);
  EXPECT_EQ(engine.isFileLoaded(volume), 0);
}

TEST(Engine, UnreadableFilesShowTheReadersText)
{
  vTempHome home;
  vQuietPrompt prompt;
  CVemoraCPEXE engine;
  std::string odd = home.WriteFile("local/model.stl", "solid nothing\n");
  EXPECT_EQ(engine.OpenFile(odd), -1);
  EXPECT_EQ(engine.OpenFile(home.Sub("local/missing.vtk")), -1);
  std::vector<std::string> texts = prompt->GetTexts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "error: unrecognized file format");
  EXPECT_EQ(texts[1], "errror: the file does not exist!");
  EXPECT_EQ(engine.GetModel()->GetNumberOfItems(), 0);
  EXPECT_EQ(engine.GetVolume()->GetNumberOfItems(), 0);
}

TEST(Engine, FileDialogFilters)
{
  vTempHome home;
  vQuietPrompt prompt;
  CVemoraCPEXE engine;
  EXPECT_EQ(CVemoraCPEXE::GetSaveModelFilter(), "VTK (*.vtk)|*.vtk;|");
  EXPECT_EQ(engine.GetOpenFileFilter(),
    "All supported file formats (*.vtk,*.obj,*.wrl,*.qv,*.)|*.vtk;*.obj;*.wrl;*.qv;*.;|"
    "Visualization Toolkit (*.vtk)| *.vtk|Wavefront (*.obj)| *.obj|VRML (*.wrl)| *.wrl|"
    "QOVA volumetric file (*.qv)| *.qv|DICOM (*.)| *.||");

  prompt->QueuePath("/chosen/file.vtk");
  EXPECT_EQ(engine.ConstructFileDlgAndGetFilename("/start"), "/chosen/file.vtk");
  EXPECT_EQ(engine.ConstructSaveModelDlgAndGetFilename(""), ""); // cancelled
  ASSERT_EQ(prompt->GetRecords().size(), 2u);
  EXPECT_EQ(prompt->GetRecords()[0].What, vScriptedUserPrompt::OpenFile);
  EXPECT_EQ(prompt->GetRecords()[0].Text, engine.GetOpenFileFilter());
  EXPECT_EQ(prompt->GetRecords()[1].What, vScriptedUserPrompt::SaveFile);
  EXPECT_EQ(prompt->GetRecords()[1].Text, "VTK (*.vtk)|*.vtk;|");
}

TEST(Engine, SaveWritesModelsOnly)
{
  vTempHome home;
  vQuietPrompt prompt;
  CVemoraCPEXE engine;
  ASSERT_EQ(engine.OpenFile(vTestData("mesh/vtk/fran_cut.vtk")), CVemoraCPEXE::SurfaceMesh);
  ASSERT_EQ(engine.OpenFile(vTestData("mesh/vtk/carotid.vtk")), CVemoraCPEXE::Image);
  std::string out = home.Sub("local/saved.vtk");
  prompt->QueuePath(out);
  EXPECT_EQ(engine.Save(home.Path(), "fran_cut"), 0);
  ASSERT_TRUE(vInstallation::IsFile(out));
  EXPECT_EQ(engine.OpenFile(out), CVemoraCPEXE::SurfaceMesh);
  EXPECT_EQ(engine.GetModel()->GetData(1)->GetNumberOfPoints(),
    engine.GetModel()->GetData(0)->GetNumberOfPoints());

  // A volume is found but not written (no dialog); an unknown name is -1; a cancel writes nothing.
  size_t shown = prompt->GetRecords().size();
  EXPECT_EQ(engine.Save(home.Path(), "carotid"), 0);
  EXPECT_EQ(prompt->GetRecords().size(), shown);
  EXPECT_EQ(engine.Save(home.Path(), "nothing"), -1);
  EXPECT_EQ(engine.Save(home.Path(), "fran_cut"), 0); // the dialog is cancelled
}

TEST(Engine, ViewingTabsAndShow)
{
  vTempHome home;
  vQuietPrompt prompt;
  home.CopyFile(vTestPlugin("vTestModuleA"), "Modules/twin.so");
  CVemoraCPEXE engine;
  ASSERT_EQ(engine.GetModules()->GetNumberOfModules(), 1);
  // Without an activated module, Show does nothing.
  EXPECT_EQ(engine.Show(CVemoraCPEXE::Image, 0), -1);

  engine.ViewingTabMinusMinus();
  EXPECT_EQ(engine.hasAtLeastOneViewingTab(), 0);
  engine.ViewingTabPlusPlus();
  engine.ViewingTabPlusPlus();
  EXPECT_EQ(engine.hasAtLeastOneViewingTab(), 1);
  engine.ViewingTabMinusMinus();
  EXPECT_EQ(engine.GetNumberOfViewingTabs(), 0);

  int tab = engine.CreateViewingTab();
  ASSERT_EQ(tab, 0);
  EXPECT_EQ(engine.hasAtLeastOneViewingTab(), 1);
  EXPECT_EQ(engine.GetRenderers()->GetCaption(), "Welcome to QOVA");
  EXPECT_NE(engine.GetRenderers()->GetRenderWindow(0)->GetInteractor(), nullptr);
  EXPECT_EQ(engine.GetRenderers()->GetNumberOfRenderer(0), 1);

  engine.GetModules()->SetActivatedModule(0);
  engine.AddHardResourcesInfo("Live", "1", "a source", 64, "/nowhere.so");
  EXPECT_EQ(engine.Show(CVemoraCPEXE::HardResource, 0), 0);
  EXPECT_EQ(engine.Show(CVemoraCPEXE::Image, 3), 0);
  auto log = engine.GetModules()->GetModuleFunction<const char* (*)()>(0, "TestLog");
  ASSERT_NE(log, nullptr);
  EXPECT_NE(
    std::string(log()).find("AddSecondaryData 64 0;AddSecondaryData 4 3;"), std::string::npos);

  // Closing the tab detaches the module's data of that window.
  EXPECT_TRUE(engine.CloseViewingTab(tab));
  EXPECT_FALSE(engine.CloseViewingTab(tab));
  EXPECT_NE(std::string(log()).find("DetachData;"), std::string::npos);
  EXPECT_EQ(engine.GetModules()->GetActivatedModuleId(0), -1);
  EXPECT_EQ(engine.hasAtLeastOneViewingTab(), 0);
}

TEST(Engine, OpenedVolumesAreHeldOnce)
{
  vTempHome home;
  vQuietPrompt prompt;
  tagQVHEADER header;
  header.Size[0] = 128;
  header.Size[1] = 96;
  header.Size[2] = 64;
  header.Spacing[2] = 2.5;
  std::vector<uint32_t> voxels(128 * 96 * 64);
  for (size_t i = 0; i < voxels.size(); ++i)
  {
    voxels[i] = static_cast<uint32_t>(i * 7919u);
  }
  std::string error;
  std::string path = home.Sub("local/big.qv");
  ASSERT_TRUE(vQVFile::Write(path, header, voxels.data(), error)) << error;

  CVemoraCPEXE engine;
  ASSERT_EQ(engine.OpenFile(path), CVemoraCPEXE::Image);
  vtkImageData* stored = engine.GetVolume()->GetImageData(0);
  ASSERT_NE(stored, nullptr);
  // The workspace holds the only reference: the reader's output went over, not a copy of it.
  EXPECT_EQ(engine.GetFileReader()->GetOutput(), nullptr);
  EXPECT_EQ(stored->GetReferenceCount(), 1);
  EXPECT_EQ(stored->GetPointData()->GetScalars()->GetReferenceCount(), 1);
  int dims[3];
  stored->GetDimensions(dims);
  EXPECT_EQ(dims[0], 128);
  EXPECT_EQ(dims[2], 64);
  EXPECT_DOUBLE_EQ(stored->GetSpacing()[2], 2.5);
  EXPECT_EQ(std::memcmp(stored->GetScalarPointer(), voxels.data(), voxels.size() * 4), 0);
  EXPECT_EQ(engine.GetVolume()->GetVoxelIntensity(0, 5, 0, 0), static_cast<double>(5 * 7919u));
  EXPECT_EQ(engine.GetVolume()->GetDataName(0), "big");

  // A failed read leaves the workspace as it was; later reads leave the volume whole.
  std::string broken = home.Sub("local/broken.qv");
  {
    std::FILE* file = std::fopen(broken.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("QV but not really", file);
    std::fclose(file);
  }
  EXPECT_EQ(engine.OpenFile(broken), -1);
  EXPECT_EQ(engine.GetVolume()->GetNumberOfItems(), 1);
  EXPECT_EQ(engine.GetVolume()->GetImageData(0), stored);
  ASSERT_EQ(engine.OpenFile(vTestData("mesh/vtk/carotid.vtk")), CVemoraCPEXE::Image);
  EXPECT_EQ(std::memcmp(stored->GetScalarPointer(), voxels.data(), voxels.size() * 4), 0);
  EXPECT_EQ(engine.Remove("big"), 0);
  EXPECT_EQ(engine.GetVolume()->GetDataName(0), "carotid");
}
