#include "vFileReader.h"

#include "CiDcmLib.h"
#include "vCellCheck.h"
#include "vLegacyVTKCheck.h"
#include "vLegacyVTKFastReader.h"
#include "vMemoryBudget.h"
#include "vOBJCheck.h"
#include "vOBJFastReader.h"
#include "vQVFile.h"
#include "vReadIsolation.h"
#include "vReaderPluginContract.h"

#include "vProgress.h"
#include "vVoxelBuffer.h"

#include "vDynamicLibrary.h"
#include "vInstallation.h"
#include "vLog.h"
#include "vUserPrompt.h"

#include <vtkCellArray.h>
#include <vtkDataSetReader.h>
#include <vtkGeometryFilter.h>
#include <vtkIdTypeArray.h>
#include <vtkImageData.h>
#include <vtkOBJReader.h>
#include <vtkPointData.h>
#include <vtkPolyData.h>
#include <vtkUnsignedCharArray.h>
#include <vtkUnsignedIntArray.h>
#include <vtkUnstructuredGrid.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <type_traits>
#include <unistd.h>

namespace
{
const char* const MissingFileText = "errror: the file does not exist!";
const char* const UnrecognizedText = "error: unrecognized file format";
const char* const LoadFailedText = "Couldn't load module";

std::string Lower(std::string text)
{
  std::transform(text.begin(),
    text.end(),
    text.begin(),
    [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool SameText(const std::string& a, const std::string& b)
{
  return a.size() == b.size() && Lower(a) == Lower(b);
}

std::string CopyText(const char* text)
{
  return text ? std::string(text) : std::string();
}

/**
 * True when every cell of a grid has a type the surface filter knows and the number of points that
 * type has (the filter trusts both), and the ids are valid.
 */
bool GridCellsAreValid(vtkUnstructuredGrid* grid)
{
  vtkCellArray* cells = grid->GetCells();
  vtkUnsignedCharArray* types = grid->GetCellTypesArray();
  const vtkIdType count = cells ? cells->GetNumberOfCells() : 0;
  if (!cells || !vCellCheck::CellIdsAreValid(cells, grid->GetNumberOfPoints()) ||
    (count > 0 && (!types || types->GetNumberOfValues() != count)))
  {
    return false;
  }
  // Points of each fixed-size type (index = VTK cell type); -N: at least N; 0: not accepted.
  static const int Points[38] = { 0,
    1,
    -1,
    2,
    -2,
    3,
    -3,
    -3,
    4,
    4,
    4,
    8,
    8,
    6,
    5,
    10,
    12,
    0,
    0,
    0,
    0,
    3,
    6,
    8,
    10,
    20,
    15,
    13,
    9,
    27,
    6,
    12,
    18,
    24,
    7,
    4,
    -6,
    19 };
  for (vtkIdType i = 0; i < count; ++i)
  {
    const int type = types->GetValue(i);
    const vtkIdType size = cells->GetCellSize(i);
    const int rule = type < 38 ? Points[type] : 0;
    if (rule == 0 || (rule > 0 && size != rule) || (rule < 0 && size < -rule))
    {
      return false;
    }
  }
  return true;
}

} // namespace

vFileReader::vFileReader()
  : PluginFolderName("Soft")
{
  std::fill(std::begin(this->FormatTypes), std::end(this->FormatTypes), 0);
  this->AddFormat("vtk", "Visualization Toolkit", "VTK Reader", "1.0.0.0", ModelFormat, "");
  this->AddFormat("obj", "Wavefront", "OBJ Reader", "1.0.0.0", ModelFormat, "");
  this->AddFormat("wrl", "VRML", "VRML Reader", "1.0.0.0", ModelFormat, "");
  this->AddFormat("qv", "QOVA volumetric file", "QV Reader", "1.0.0.0", ImageFormat, "");
  this->AddFormat("", "DICOM", "DICOM Reader", "1.0.0.0", ImageFormat, "");
  this->NumberOfInternal = NumberOfInternalFormats;
  this->LibraryPaths.clear();
  this->SetupExternalFileSupport();
}

vFileReader::~vFileReader() = default;

bool vFileReader::AddFormat(const std::string& ext,
  const std::string& desc,
  const std::string& name,
  const std::string& version,
  int type,
  const std::string& library)
{
  const int index = this->GetNumberOfSupportedFileFormat();
  if (index >= MaxFormats)
  {
    return false;
  }
  this->Extensions.push_back(ext);
  this->Descriptions.push_back(desc);
  this->ReaderNames.push_back(name);
  this->Versions.push_back(version);
  this->FormatTypes[index] = type;
  if (index >= NumberOfInternalFormats)
  {
    this->LibraryPaths.push_back(library);
  }
  return true;
}

std::string vFileReader::GetPluginFolder() const
{
  return vInstallation::GetSubFolder(this->PluginFolderName);
}

void vFileReader::SetupExternalFileSupport()
{
  // The folder is listed by its absolute path; the process's current directory is left alone.
  for (const std::string& file : vDynamicLibrary::ListLibraries(this->GetPluginFolder()))
  {
    vDynamicLibrary library;
    if (!library.Open(file))
    {
      vUserPrompt::Get()->Inform(LoadFailedText);
      continue;
    }
    auto getType = library.GetFunction<vReaderPlugin::GetDataTypeFunction>("GetDataType");
    auto getDesc = library.GetFunction<vReaderPlugin::GetTextFunction>("GetDesc");
    auto getExt = library.GetFunction<vReaderPlugin::GetTextFunction>("GetExt");
    auto getVer = library.GetFunction<vReaderPlugin::GetTextFunction>("GetVer");
    auto getName = library.GetFunction<vReaderPlugin::GetTextFunction>("GetName");
    if (!getType || !getDesc || !getExt || !getVer || !getName)
    {
      continue;
    }
    if (this->GetNumberOfSupportedFileFormat() >= MaxFormats)
    {
      vLog::Warning("reader plug-in refused, the format registry is full: " + file);
      continue;
    }
    const int type = getType();
    const std::string ext = CopyText(getExt());
    const std::string desc = CopyText(getDesc());
    const std::string version = CopyText(getVer());
    const std::string name = CopyText(getName());
    this->AddFormat(ext, desc, name, version, type, file);
  }
}

vtkDataSet* vFileReader::GetOutput()
{
  return this->Output;
}

vtkSmartPointer<vtkDataSet> vFileReader::TakeOutput()
{
  vtkSmartPointer<vtkDataSet> output = this->Output;
  this->Output = nullptr;
  return output;
}

std::string vFileReader::GetSupportedFileExt(int index) const
{
  return index >= 0 && index < this->GetNumberOfSupportedFileFormat() ? this->Extensions[index]
                                                                      : std::string();
}

std::string vFileReader::GetSupportedFileDesc(int index) const
{
  return index >= 0 && index < this->GetNumberOfSupportedFileFormat() ? this->Descriptions[index]
                                                                      : std::string();
}

std::string vFileReader::GetDSCName(int index) const
{
  return index >= 0 && index < this->GetNumberOfSupportedFileFormat() ? this->ReaderNames[index]
                                                                      : std::string();
}

std::string vFileReader::GetDSCVer(int index) const
{
  return index >= 0 && index < this->GetNumberOfSupportedFileFormat() ? this->Versions[index]
                                                                      : std::string();
}

int vFileReader::GetFileType(int index) const
{
  return index >= 0 && index < this->GetNumberOfSupportedFileFormat() ? this->FormatTypes[index]
                                                                      : 0;
}

int vFileReader::GetFileType(const std::string& ext) const
{
  for (int i = 0; i < this->GetNumberOfSupportedFileFormat(); ++i)
  {
    if (SameText(this->Extensions[i], ext))
    {
      return this->FormatTypes[i];
    }
  }
  return 0;
}

std::string vFileReader::GetFileSupportLib(int externalIndex) const
{
  return externalIndex >= 0 && externalIndex < static_cast<int>(this->LibraryPaths.size())
    ? this->LibraryPaths[externalIndex]
    : std::string();
}

int vFileReader::isFileExist(const std::string& path) const
{
  // Non-blocking, so that a pipe without a writer does not hold the workstation up.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0)
  {
    return 0;
  }
  ::close(fd);
  return 1;
}

int vFileReader::isFileSupported(const std::string& ext) const
{
  for (int i = this->GetNumberOfSupportedFileFormat() - 1; i >= 0; --i)
  {
    if (SameText(this->Extensions[i], ext))
    {
      return i;
    }
  }
  return -1;
}

int vFileReader::isFileSupportedExternally(const std::string& ext) const
{
  for (int i = this->GetNumberOfSupportedFileFormat() - 1; i >= this->NumberOfInternal; --i)
  {
    if (SameText(this->Extensions[i], ext))
    {
      return i - this->NumberOfInternal;
    }
  }
  return -1;
}

std::string vFileReader::ExtractFilePath(const std::string& path) const
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(0, slash);
}

std::string vFileReader::GetExtension(const std::string& path)
{
  // Only the last component counts: a dot in a folder name is no extension.
  const size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

int vFileReader::Read()
{
  // VTK's readers and the plug-ins are C++ code that may throw (std::bad_alloc above all): a
  // throw is a failed read, never a crash of the workstation.
  try
  {
    return this->ReadFile();
  }
  catch (const std::bad_alloc&)
  {
    this->ErrorText = "error: not enough memory to read the file";
    return 0;
  }
  catch (...)
  {
    return 0;
  }
}

int vFileReader::ReadFile()
{
  this->ErrorText.clear();
  this->NoticeText.clear();
  const std::string ext = GetExtension(this->Filename);
  if (vInstallation::IsFolder(this->Filename))
  {
    return this->ReadImage(ext, true); // a folder holds a DICOM series
  }
  if (!this->isFileExist(this->Filename))
  {
    this->ErrorText = MissingFileText;
    return 0;
  }
  if (!vInstallation::IsFile(this->Filename))
  {
    // Devices and pipes never end or never begin: no reader may wait on them.
    this->ErrorText = UnrecognizedText;
    return 0;
  }
  if (!ext.empty() && ext.size() <= 4 && ext != "dcm")
  {
    const int index = this->isFileSupported(ext);
    if (index < 0)
    {
      if (CiDcmLib::IsDicomFile(this->Filename))
      {
        return this->ReadImage(ext, true);
      }
      this->ErrorText = UnrecognizedText;
      return 0;
    }
    switch (this->FormatTypes[index])
    {
      case ModelFormat:
        return this->ReadModel(ext);
      case ImageFormat:
        return this->ReadImage(ext, false);
      default:
        return 0;
    }
  }
  return this->ReadImage(ext, false);
}

int vFileReader::ReadModel(const std::string& ext)
{
  const std::string kind = Lower(ext);
  vtkSmartPointer<vtkPolyData> model;
  vtkSmartPointer<vtkImageData> image;
  bool cellsChecked = false;
  if (kind == "vtk")
  {
    // Binary poly data (what VTK writes) is read directly, its cells checked on the way; anything
    // else, and anything that does not fit, goes the checked way through VTK's reader.
    cellsChecked =
      vLegacyVTKFastReader::ReadFile(this->Filename, model) == vLegacyVTKFastReader::Read;
    if (!cellsChecked)
    {
      if (vProgressScope::Cancelled())
      {
        return 0; // the user stopped the read: no second way through VTK
      }
      model = this->ReadVTK(this->Filename, image);
    }
  }
  else if (kind == "obj")
  {
    model = this->ReadOBJ(this->Filename);
  }
  else if (kind == "wrl")
  {
    model = this->ReadVRML(this->Filename);
  }
  else
  {
    const int external = this->isFileSupportedExternally(ext);
    if (external < 0 || this->FormatTypes[external + this->NumberOfInternal] != ModelFormat)
    {
      return 0;
    }
    model = vtkPolyData::SafeDownCast(this->ReadExternal(external, this->Filename));
  }
  if (image)
  {
    this->SetImageOutput(image);
    return 1;
  }
  // A model without points (a file the reader skipped entirely) or with cells naming missing
  // points is no model: it would only fail later, when shown.
  // Models of the read helper were checked there, while still in its caches (vCellCheck), and
  // the direct .vtk reader checks cells as it reads them.
  const bool checked = cellsChecked || (kind != "vtk" && kind != "obj");
  if (!model || model->GetNumberOfPoints() == 0 || (!checked && !vCellCheck::CellsAreValid(model)))
  {
    return 0;
  }
  this->SetModelOutput(model);
  return 1;
}

int vFileReader::ReadImage(const std::string& ext, bool dicom)
{
  this->ErrorText.clear();
  vtkSmartPointer<vtkImageData> image;
  if (dicom || ext.empty() || Lower(ext) == "dcm")
  {
    image = this->ReadDICOM(this->Filename);
  }
  else if (this->GetFileType(ext) != ImageFormat)
  {
    // Files named after their DICOM identifiers ("....12345678") have long extensions.
    if (ext.size() <= 4 || !CiDcmLib::IsDicomFile(this->Filename))
    {
      return 0;
    }
    image = this->ReadDICOM(this->Filename);
  }
  else if (Lower(ext) == "qv")
  {
    image = this->ReadQV(this->Filename);
  }
  else
  {
    const int external = this->isFileSupportedExternally(ext);
    if (external >= 0 && this->FormatTypes[external + this->NumberOfInternal] == ImageFormat)
    {
      image = vtkImageData::SafeDownCast(this->ReadExternal(external, this->Filename));
    }
  }
  if (!image)
  {
    return 0;
  }
  this->SetImageOutput(image);
  return 1;
}

void vFileReader::SetModelOutput(vtkPolyData* model)
{
  const vtkIdType points = model->GetNumberOfPoints();
  if (model->GetNumberOfPolys() + model->GetNumberOfStrips() > 0)
  {
    this->OutputTypeCode = SurfaceMesh;
  }
  else if (points >= SmallPointSetLimit)
  {
    vtkNew<vtkIdTypeArray> offsets;
    vtkNew<vtkIdTypeArray> connectivity;
    offsets->SetNumberOfValues(points + 1);
    connectivity->SetNumberOfValues(points);
    for (vtkIdType i = 0; i < points; ++i)
    {
      offsets->SetValue(i, i);
      connectivity->SetValue(i, i);
    }
    offsets->SetValue(points, points);
    vtkNew<vtkCellArray> vertices;
    vertices->SetData(offsets, connectivity);
    model->SetVerts(vertices);
    this->OutputTypeCode = PointCloud;
  }
  else
  {
    this->OutputTypeCode = SmallPointSet;
  }
  // The model was made by this read and nothing else holds it: it becomes the output as it is.
  this->Output = model;
}

void vFileReader::SetImageOutput(vtkImageData* image)
{
  this->OutputTypeCode = ImageVolume;
  this->Output = image;
}

vtkSmartPointer<vtkPolyData> vFileReader::ReadVTK(const std::string& path,
  vtkSmartPointer<vtkImageData>& image)
{
  if (!vLegacyVTKCheck::CountsFit(path))
  {
    return nullptr; // the file declares more than it holds
  }
  vtkNew<vtkDataSetReader> reader;
  reader->SetFileName(path.c_str());
  reader->Update();
  vtkDataSet* data = reader->GetOutput();
  if (auto* poly = vtkPolyData::SafeDownCast(data))
  {
    auto model = vtkSmartPointer<vtkPolyData>::New();
    model->ShallowCopy(poly);
    return model;
  }
  if (auto* grid = vtkUnstructuredGrid::SafeDownCast(data))
  {
    // The surface filter trusts the cells' types, sizes and point ids.
    if (!GridCellsAreValid(grid))
    {
      return nullptr;
    }
    vtkNew<vtkGeometryFilter> surface;
    surface->SetInputData(grid);
    surface->Update();
    auto model = vtkSmartPointer<vtkPolyData>::New();
    model->ShallowCopy(surface->GetOutput());
    return model;
  }
  if (auto* volume = vtkImageData::SafeDownCast(data))
  {
    if (volume->GetNumberOfPoints() > 0 && volume->GetPointData()->GetScalars())
    {
      image = vtkSmartPointer<vtkImageData>::New();
      image->ShallowCopy(volume);
    }
  }
  return nullptr;
}

vtkSmartPointer<vtkPolyData> vFileReader::ReadOBJ(const std::string& path)
{
  // Plain geometry (most files) is read in one fast pass, which refuses damaged files itself;
  // what it leaves alone goes the checked way through VTK's reader.
  vtkSmartPointer<vtkPolyData> fast;
  switch (vOBJFastReader::ReadFile(path, fast))
  {
    case vOBJFastReader::Read:
      return fast;
    case vOBJFastReader::Refused:
      return nullptr;
    case vOBJFastReader::NotHandled:
      break;
  }
  if (!vOBJCheck::IndicesFit(path))
  {
    return nullptr; // elements naming vertices that are not there
  }
  // VTK's reader would take a byte-order mark for part of the first line (losing a vertex
  // written there): it reads a copy without the mark, removed afterwards.
  struct vRemoveOnExit
  {
    std::string Path;
    ~vRemoveOnExit()
    {
      if (!this->Path.empty())
      {
        ::unlink(this->Path.c_str());
      }
    }
  } copy;
  if (vOBJCheck::StartsWithByteOrderMark(path))
  {
    copy.Path = vOBJCheck::CopyWithoutByteOrderMark(path);
    if (copy.Path.empty())
    {
      return nullptr;
    }
  }
  vtkNew<vtkOBJReader> reader;
  reader->SetFileName(copy.Path.empty() ? path.c_str() : copy.Path.c_str());
  reader->Update();
  auto model = vtkSmartPointer<vtkPolyData>::New();
  model->ShallowCopy(reader->GetOutput());
  return model;
}

vtkSmartPointer<vtkPolyData> vFileReader::ReadVRML(const std::string& path)
{
  // VTK's VRML parser crashes on some malformed scenes, and what it accepts is too loose to check
  // beforehand: the scene is imported by the read helper.
  vReadReply reply;
  if (!vReadIsolation::Run({ "vrml", path }, reply, this->ErrorText) || !reply.Error().empty())
  {
    return nullptr;
  }
  this->ErrorText.clear();
  return vtkPolyData::SafeDownCast(vReadIsolation::Assemble(reply));
}

vtkSmartPointer<vtkImageData> vFileReader::ReadQV(const std::string& path)
{
  return vQVFile::ReadVolume(path, this->ErrorText);
}

vtkSmartPointer<vtkImageData> vFileReader::ReadDICOM(const std::string& path)
{
  CiDcmLib dicom;
  dicom.SetFilename(path);
  if (!dicom.Read().empty())
  {
    this->ErrorText = UnrecognizedText;
    return nullptr;
  }
  int dims[3] = { 0, 0, 0 };
  dicom.GetDimensions(dims);
  if (dims[0] == 0 && dims[1] == 0 && dims[2] == 0)
  {
    dims[0] = dicom.GetCols();
    dims[1] = dicom.GetRows();
    dims[2] = dicom.GetNumberOfFrames();
  }
  size_t count = 0;
  const size_t frameVoxels = static_cast<size_t>(std::max(dicom.GetCols(), 0)) *
    static_cast<size_t>(std::max(dicom.GetRows(), 0));
  if (dims[0] <= 0 || dims[1] <= 0 || dims[2] <= 0 || frameVoxels == 0 ||
    __builtin_mul_overflow(size_t(dims[0]) * size_t(dims[1]), size_t(dims[2]), &count) ||
    count > (size_t(1) << 62))
  {
    this->ErrorText = UnrecognizedText;
    return nullptr;
  }
  double spacing[3] = { 1.0, 1.0, 1.0 };
  dicom.GetSpacing(spacing);

  // The volume is refused before it is allocated when it cannot fit, with what it needs.
  if (!vMemoryBudget::Fits(count * sizeof(unsigned int), this->ErrorText))
  {
    return nullptr;
  }
  vVoxelBuffer buffer(count * sizeof(unsigned int));
  auto* voxels = static_cast<unsigned int*>(buffer.Get());
  if (!voxels)
  {
    this->ErrorText =
      vMemoryBudget::NeedText(count * sizeof(unsigned int), vMemoryBudget::Available());
    return nullptr;
  }
  // Frame i fills the voxels from i x (cols x rows) on. Frames that would not fit are left out, so
  // the buffer is never overrun whatever the library reports; voxels no frame reached are 0.
  size_t filled = 0;
  for (int frame = 0; frame < dicom.GetNumberOfFrames(); ++frame)
  {
    if (filled + frameVoxels > count ||
      !dicom.CopyFrameToVolumeSlice(frame, voxels + filled, count - filled))
    {
      break;
    }
    filled += frameVoxels;
  }
  std::fill(voxels + filled, voxels + count, 0u);

  vtkNew<vtkUnsignedIntArray> scalars;
  scalars->SetNumberOfComponents(1);
  scalars->SetArray(
    voxels, static_cast<vtkIdType>(count), 0, vtkAbstractArray::VTK_DATA_ARRAY_FREE);
  buffer.Release();
  auto image = vtkSmartPointer<vtkImageData>::New();
  image->SetExtent(0, dims[0] - 1, 0, dims[1] - 1, 0, dims[2] - 1);
  image->SetSpacing(spacing);
  image->GetPointData()->SetScalars(scalars);
  this->NoticeText = dicom.GetNotice();
  return image;
}

vtkSmartPointer<vtkDataSet> vFileReader::ReadExternal(int externalIndex, const std::string& path)
{
  // Plug-ins run third-party readers: the read helper loads the plug-in and reads there, so a
  // crash or a hang of the reader fails the read instead of ending the workstation.
  const int type = this->GetFileType(externalIndex + this->NumberOfInternal);
  const std::string library = this->GetFileSupportLib(externalIndex);
  if (library.empty())
  {
    return nullptr;
  }
  vReadReply reply;
  std::string failure;
  if (!vReadIsolation::Run({ "plugin", path, library }, reply, failure))
  {
    vLog::Warning("reader plug-in failed on " + path + ": " + failure);
    return nullptr;
  }
  const std::string error = reply.Error();
  if (error == "the reader plug-in cannot be loaded")
  {
    vUserPrompt::Get()->Inform(LoadFailedText);
    return nullptr;
  }
  if (error.compare(0, 7, "error: ") == 0)
  {
    this->ErrorText = error; // a text for the user (a volume that does not fit)
  }
  vtkSmartPointer<vtkDataSet> data = vReadIsolation::Assemble(reply);
  if ((type == ModelFormat && !vtkPolyData::SafeDownCast(data)) ||
    (type == ImageFormat && !vtkImageData::SafeDownCast(data)))
  {
    return nullptr;
  }
  return data;
}
