#ifndef vImageLayerTestData_h
#define vImageLayerTestData_h

#include "vVolumeResourceFake.h"

#include <vtkImageData.h>
#include <vtkNew.h>
#include <vtkSmartPointer.h>

#include <cmath>
#include <memory>
#include <string>

/**
 * A synthetic unsigned-short volume: a bright ball (value 1000 at the centre, falling off with the
 * distance) over a ramp along x (values times `scale`), so that every slice orientation shows a
 * different picture.
 */
inline vtkSmartPointer<vtkImageData> vMakeTestVolume(int nx,
  int ny,
  int nz,
  double sx = 1.0,
  double sy = 1.0,
  double sz = 1.0,
  double scale = 1.0)
{
  auto image = vtkSmartPointer<vtkImageData>::New();
  image->SetDimensions(nx, ny, nz);
  image->SetSpacing(sx, sy, sz);
  image->SetOrigin(0, 0, 0);
  image->AllocateScalars(VTK_UNSIGNED_SHORT, 1);
  auto* voxels = static_cast<unsigned short*>(image->GetScalarPointer());
  const double cx = 0.55 * (nx - 1), cy = 0.45 * (ny - 1), cz = 0.5 * (nz - 1);
  const double radius = 0.35 * std::fmin(nx, std::fmin(ny, nz));
  for (int z = 0; z < nz; ++z)
  {
    for (int y = 0; y < ny; ++y)
    {
      for (int x = 0; x < nx; ++x)
      {
        const double d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy) + (z - cz) * (z - cz));
        double value = 200.0 * x / (nx > 1 ? nx - 1 : 1);
        if (d < radius)
        {
          value += 800.0 * (1.0 - d / radius);
        }
        *voxels++ = static_cast<unsigned short>(value * scale);
      }
    }
  }
  return image;
}

/** A label volume: value 1 in the left third, 2 in the middle ball, 3 in a corner block. */
inline vtkSmartPointer<vtkImageData> vMakeLabelVolume(int nx, int ny, int nz)
{
  auto image = vtkSmartPointer<vtkImageData>::New();
  image->SetDimensions(nx, ny, nz);
  image->AllocateScalars(VTK_UNSIGNED_CHAR, 1);
  auto* voxels = static_cast<unsigned char*>(image->GetScalarPointer());
  for (int z = 0; z < nz; ++z)
  {
    for (int y = 0; y < ny; ++y)
    {
      for (int x = 0; x < nx; ++x)
      {
        const double dx = x - nx / 2.0, dy = y - ny / 2.0, dz = z - nz / 2.0;
        unsigned char label = 0;
        if (x < nx / 3 && y > ny / 2)
        {
          label = 1;
        }
        if (dx * dx + dy * dy + dz * dz < (nx / 5.0) * (nx / 5.0))
        {
          label = 2;
        }
        if (x > 3 * nx / 4 && y < ny / 4)
        {
          label = 3;
        }
        *voxels++ = label;
      }
    }
  }
  return image;
}

/** A volume handle as the console makes it, named `name`; it borrows the image. */
inline std::unique_ptr<vVolumeResourceFake> vMakeVolumeHandle(vtkImageData* image,
  const std::string& name)
{
  auto handle = std::make_unique<vVolumeResourceFake>();
  handle->AddData(image);
  handle->SetName(name);
  handle->SetDataName(0, name);
  return handle;
}

#endif
