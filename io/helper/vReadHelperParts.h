#ifndef vReadHelperParts_h
#define vReadHelperParts_h

// The parts of the read helper that need large libraries (GDCM; VTK's importers and rendering
// classes) live in modules of their own, loaded only by the requests that use them: the helper
// starts with VTK's core libraries alone, which keeps each read's start-up cost small.

#include <cstddef>
#include <string>
#include <vector>

class vtkPolyData;

/** A decoded DICOM file or series (CiDcmLib's results). */
/** The helper's reply pipe: its last lines are the reply; "progress DONE TOTAL" lines may come
 * before them while a read runs. */
constexpr int vHelperReplyDescriptor = 3;

struct vHelperDicom
{
  std::string Error;  // empty on success
  std::string Notice; // what a folder read left out and kept, or empty
  int Cols = 0;
  int Rows = 0;
  int Frames = 0;
  int PixelSize = 0;
  bool Signed = false;
  bool WholeVolume = false;
  double Spacing[3] = { 1.0, 1.0, 1.0 };
  const void* Pixels = nullptr; // Cols x Rows x Frames x PixelSize bytes, kept to the process end
};

/** vreadhelper-dicom.so */
using vHelperDicomReadFunction = void (*)(const char* path,
  std::size_t maximumBytes,
  vHelperDicom& result);
using vHelperDicomProbeFunction = bool (*)(const char* path);
using vHelperDicomSeriesFunction = std::string (*)(const char* path,
  std::vector<std::string>& files,
  double spacing[3]);
/** vreadhelper-vrml.so: the first shape of a scene, a new reference (empty model when none). */
using vHelperVRMLReadFunction = vtkPolyData* (*)(const char* path);

#define VEMORA_HELPER_PART_API extern "C" __attribute__((visibility("default")))

#endif
