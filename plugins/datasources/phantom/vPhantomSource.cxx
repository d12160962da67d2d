// A live data source of the `Hard` folder: a synthetic head phantom (a set of ellipsoids of fixed
// intensities, after the well-known analytic head phantoms) delivered as an image volume. The
// inner "ventricles" grow and shrink with the frame number, so successive acquisitions differ as
// those of a live scanner would.

#include "vDataSourceContract.h"
#include "vModuleContract.h" // for VEMORA_PLUGIN_EXPORT

#include <vtkImageData.h>
#include <vtkType.h>

#include <cmath>

namespace
{
constexpr int Size = 64;         // voxels along each axis
constexpr double Spacing = 3.0;  // millimetres
constexpr int FramesPerBeat = 8; // one period of the moving structure

struct Ellipsoid
{
  double Centre[3]; // in [-1, 1]
  double Axes[3];   // half axes in [-1, 1] units
  double Value;     // added intensity
};

// Skull, brain, two ventricles, three small lesions.
const Ellipsoid Shapes[] = {
  { { 0.0, 0.0, 0.0 }, { 0.69, 0.92, 0.81 }, 1000.0 },
  { { 0.0, -0.0184, 0.0 }, { 0.6624, 0.874, 0.78 }, -700.0 },
  { { 0.22, 0.0, 0.0 }, { 0.11, 0.31, 0.22 }, -150.0 },
  { { -0.22, 0.0, 0.0 }, { 0.16, 0.41, 0.28 }, -150.0 },
  { { 0.0, 0.35, -0.15 }, { 0.21, 0.25, 0.41 }, 100.0 },
  { { 0.0, 0.1, 0.25 }, { 0.046, 0.046, 0.05 }, 200.0 },
  { { -0.08, -0.605, 0.0 }, { 0.046, 0.023, 0.05 }, 200.0 },
};

bool Inside(const Ellipsoid& e, double x, double y, double z, double scale)
{
  double dx = (x - e.Centre[0]) / (e.Axes[0] * scale);
  double dy = (y - e.Centre[1]) / (e.Axes[1] * scale);
  double dz = (z - e.Centre[2]) / (e.Axes[2] * scale);
  return dx * dx + dy * dy + dz * dz <= 1.0;
}
} // namespace

VEMORA_PLUGIN_EXPORT int GetDataType()
{
  return 4; // an image volume
}

VEMORA_PLUGIN_EXPORT const char* GetDesc()
{
  return "Synthetic head phantom, 64 x 64 x 64 voxels of 3 mm, live";
}

VEMORA_PLUGIN_EXPORT const char* GetName()
{
  return "Phantom";
}

VEMORA_PLUGIN_EXPORT const char* GetVer()
{
  return "1.0.0.0";
}

/** A new phantom volume for a frame number (the caller owns it and releases it with Delete). */
VEMORA_PLUGIN_EXPORT vtkDataSet* Acquire(int frame)
{
  constexpr double pi = 3.14159265358979323846;
  int phase = ((frame % FramesPerBeat) + FramesPerBeat) % FramesPerBeat;
  double beat = 1.0 + 0.25 * std::sin(2.0 * pi * phase / FramesPerBeat);

  vtkImageData* image = vtkImageData::New();
  image->SetDimensions(Size, Size, Size);
  image->SetSpacing(Spacing, Spacing, Spacing);
  image->SetOrigin(0.0, 0.0, 0.0);
  image->AllocateScalars(VTK_UNSIGNED_SHORT, 1);
  auto* voxels = static_cast<unsigned short*>(image->GetScalarPointer());
  for (int k = 0; k < Size; ++k)
  {
    double z = 2.0 * k / (Size - 1) - 1.0;
    for (int j = 0; j < Size; ++j)
    {
      double y = 2.0 * j / (Size - 1) - 1.0;
      for (int i = 0; i < Size; ++i)
      {
        double x = 2.0 * i / (Size - 1) - 1.0;
        double value = 0.0;
        int n = 0;
        for (const Ellipsoid& e : Shapes)
        {
          bool ventricle = n == 2 || n == 3;
          if (Inside(e, x, y, z, ventricle ? beat : 1.0))
          {
            value += e.Value;
          }
          ++n;
        }
        voxels[(static_cast<vtkIdType>(k) * Size + j) * Size + i] =
          static_cast<unsigned short>(value < 0.0 ? 0.0 : value);
      }
    }
  }
  return image;
}
