#ifndef vFileReader_h
#define vFileReader_h

#include "VemoraIOModule.h"

#include <vtkSmartPointer.h> // for members

#include <string>
#include <vector>

class vtkDataSet;
class vtkImageData;
class vtkPolyData;

/**
 * Turns a file into one VTK data set (a `vtkPolyData` model or a `vtkImageData` volume) and keeps
 * the registry of the supported formats.
 *
 * Use: `SetFilename(path)`, `Read()`, then `GetOutputType()` and `GetOutput()` on success or
 * `GetErrorMessage()` on failure. The reader owns its output; it stays valid until the next
 * successful read or the reader's destruction. A failed read keeps the previous output and type.
 *
 * Formats. Five are built in, in this order: "vtk" (Visualization Toolkit), "obj" (Wavefront),
 * "wrl" (VRML), "qv" (QOVA volumetric file) and DICOM (empty extension). More come from reader
 * plug-ins (vReaderPluginContract.h) found in the installation's `Soft` folder when the reader is
 * constructed; they follow the built-in ones in file-name order. At most `MaxFormats` formats are
 * registered; further plug-ins are refused.
 *
 * Routing of `Read`: a file that cannot be opened fails with "errror: the file does not exist!".
 * A folder, a name without extension or with the extension "dcm" goes to DICOM (a folder is read
 * as one series). An extension of 1 to 4 characters selects the last format declaring it (letter
 * case ignored); an undeclared one is read as DICOM when the content is DICOM, and fails with
 * "error: unrecognized file format" otherwise. Longer extensions go to the image readers.
 *
 * Models are classified: with at least one polygon or triangle strip, `SurfaceMesh` (16); without,
 * `PointCloud` (64, one vertex cell added per point) from `SmallPointSetLimit` points on, else
 * `SmallPointSet` (32). A model without points, or with cells that name points it does not have,
 * is not read. Volumes are `ImageVolume` (4); a ".vtk" file holding structured points is one.
 * DICOM frames become slices with their first stored row at y = rows - 1, so that the views show
 * it at the top as every DICOM viewer does (see `CiDcmLib::CopyFrameToVolumeSlice`).
 *
 * Damaged files fail the read (with an empty error text, like any model file that gives no data
 * set) instead of reaching the VTK readers' weak spots: legacy ".vtk" files declaring more data
 * than they hold or with malformed blocks, and OBJ elements naming missing vertices, are refused
 * beforehand. Foreign formats read by third-party code (the reader plug-ins, VRML, DICOM) are read
 * by the read helper, a process of its own with a time and a memory limit (vReadIsolation): a
 * crash, an abort or a hang of those readers only fails the read, and the data comes back through
 * shared memory without a copy. Models from the helper are checked like any other (cells naming
 * missing points are refused). Outputs are handed over as read (nothing else holds them), not
 * copied again.
 */
class VEMORAIO_EXPORT vFileReader
{
public:
  /** Capacity of the format registry. */
  static constexpr int MaxFormats = 128;
  static constexpr int NumberOfInternalFormats = 5;
  /** A model without polygons and with at least this many points is a point cloud. */
  static constexpr long long SmallPointSetLimit = 128;

  /** Format type codes. */
  enum FormatType
  {
    ModelFormat = 4096,
    ImageFormat = 8192
  };

  /** Output type codes, shared with the engine. */
  enum OutputType
  {
    NoOutput = 0,
    ImageVolume = 4,
    SurfaceMesh = 16,
    SmallPointSet = 32,
    PointCloud = 64
  };

  /** Registers the built-in formats, then the plug-ins of the `Soft` folder. */
  vFileReader();
  virtual ~vFileReader();
  vFileReader(const vFileReader&) = delete;
  vFileReader& operator=(const vFileReader&) = delete;

  void SetFilename(const std::string& path) { this->Filename = path; }
  const std::string& GetFilename() const { return this->Filename; }

  /** Reads the file: 1 on success, 0 on failure (see the class comment). */
  virtual int Read();
  /** The last output (owned by the reader), null before the first successful read. */
  virtual vtkDataSet* GetOutput();
  /**
   * Hands the last output over to the caller: the reader keeps no reference to it (`GetOutput`
   * is then null) and nothing else holds it, so the caller may keep it without copying. The
   * output type stays as it was. Null when there is no output.
   */
  vtkSmartPointer<vtkDataSet> TakeOutput();
  /** An `OutputType` code. */
  int GetOutputType() const { return this->OutputTypeCode; }
  /** The text of the last failure; empty after a success (and after some failures). */
  std::string GetErrorMessage() const { return this->ErrorText; }
  /**
   * A message for the user about the last read, which succeeded but left something out (the
   * files of a DICOM folder that are not in the series read); empty otherwise.
   */
  const std::string& GetNotice() const { return this->NoticeText; }

  int GetNumberOfSupportedFileFormat() const { return static_cast<int>(this->Extensions.size()); }
  int GetNumberOfInternallySupportedFileFormat() const { return this->NumberOfInternal; }
  /** Registry entries by format index; "" for an index out of range. */
  std::string GetSupportedFileExt(int index) const;
  std::string GetSupportedFileDesc(int index) const;
  std::string GetDSCName(int index) const;
  std::string GetDSCVer(int index) const;
  /** The format type of format `index`; 0 out of range. */
  int GetFileType(int index) const;
  /** The type of the first format declaring `ext` (letter case ignored); 0 if none. */
  int GetFileType(const std::string& ext) const;
  int GetFileType(const char* ext) const { return this->GetFileType(std::string(ext ? ext : "")); }
  /** The library path of external format `externalIndex` (format index - 5); "" out of range. */
  std::string GetFileSupportLib(int externalIndex) const;
  /** 1 if the path can be opened for reading, else 0. */
  int isFileExist(const std::string& path) const;
  /** Index of the last format declaring `ext` (letter case ignored), -1 if none. */
  int isFileSupported(const std::string& ext) const;
  /** The same among the external formats, as an external index; -1 if none. */
  int isFileSupportedExternally(const std::string& ext) const;
  /** The text before the last "/", or the path itself when it has none. */
  std::string ExtractFilePath(const std::string& path) const;
  /** The extension of a path: the text after the last "." of its last component, or "". */
  static std::string GetExtension(const std::string& path);
  /** The absolute path of the plug-in folder (the installation's `Soft`). */
  std::string GetPluginFolder() const;

protected:
  /** The body of `Read`. */
  int ReadFile();
  /** Scans the plug-in folder and registers every complete reader plug-in. */
  void SetupExternalFileSupport();
  /** Appends a format; false (nothing added) when the registry is full. */
  bool AddFormat(const std::string& ext,
    const std::string& desc,
    const std::string& name,
    const std::string& version,
    int type,
    const std::string& library);

  int ReadModel(const std::string& ext);
  int ReadImage(const std::string& ext, bool dicom);
  /** The built-in readers; null when they obtain nothing. `image` receives a VTK volume. */
  vtkSmartPointer<vtkPolyData> ReadVTK(const std::string& path,
    vtkSmartPointer<vtkImageData>& image);
  vtkSmartPointer<vtkPolyData> ReadOBJ(const std::string& path);
  vtkSmartPointer<vtkPolyData> ReadVRML(const std::string& path);
  vtkSmartPointer<vtkImageData> ReadQV(const std::string& path);
  vtkSmartPointer<vtkImageData> ReadDICOM(const std::string& path);
  /** Reads through external format `externalIndex`; null on any failure. */
  vtkSmartPointer<vtkDataSet> ReadExternal(int externalIndex, const std::string& path);

  /** Classifies a model (adding vertex cells to a point cloud) and makes it the output. */
  void SetModelOutput(vtkPolyData* model);
  void SetImageOutput(vtkImageData* image);

private:
  std::string Filename;
  vtkSmartPointer<vtkDataSet> Output;
  int OutputTypeCode = NoOutput;
  std::vector<std::string> Extensions;
  std::vector<std::string> Descriptions;
  std::vector<std::string> Versions;
  std::vector<std::string> ReaderNames;
  std::vector<std::string> LibraryPaths;
  int FormatTypes[MaxFormats];
  int NumberOfInternal = 0;
  std::string PluginFolderName;
  std::string ErrorText;
  std::string NoticeText;
};

#endif
