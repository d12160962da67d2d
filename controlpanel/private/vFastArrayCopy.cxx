#include "vFastArrayCopy.h"

#include <vtkDataArray.h>
#include <vtkImageData.h>
#include <vtkPointData.h>
#include <vtkSMPTools.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>

namespace
{
constexpr std::size_t HugePage = std::size_t(2) << 20;
} // namespace

vtkSmartPointer<vtkDataArray> vFastArrayCopy::Copy(vtkDataArray* source)
{
  if (!source || !source->HasStandardMemoryLayout())
  {
    return nullptr;
  }
  const vtkIdType values = source->GetNumberOfValues();
  const int size = source->GetDataTypeSize();
  if (values <= 0 || size <= 0)
  {
    return nullptr;
  }
  const std::size_t bytes = static_cast<std::size_t>(values) * static_cast<std::size_t>(size);
  const std::size_t rounded = (bytes + HugePage - 1) / HugePage * HugePage;
  void* block = nullptr;
  if (posix_memalign(&block, HugePage, rounded) != 0 || !block)
  {
    return nullptr;
  }
  ::madvise(block, rounded, MADV_HUGEPAGE);
  // The copy (and the page faults of each part of the block) is shared out among VTK's threads,
  // in whole huge pages; it is complete before this returns.
  const char* from = static_cast<const char*>(source->GetVoidPointer(0));
  char* to = static_cast<char*>(block);
  const vtkIdType parts = static_cast<vtkIdType>(rounded / HugePage);
  vtkSMPTools::For(0,
    parts,
    [&](vtkIdType first, vtkIdType last)
    {
      const std::size_t begin = static_cast<std::size_t>(first) * HugePage;
      const std::size_t end = std::min(bytes, static_cast<std::size_t>(last) * HugePage);
      if (begin < end)
      {
        std::memcpy(to + begin, from + begin, end - begin);
      }
    });

  vtkSmartPointer<vtkDataArray> copy;
  copy.TakeReference(source->NewInstance());
  copy->SetNumberOfComponents(source->GetNumberOfComponents());
  copy->SetName(source->GetName());
  // The array frees the block with `free` when it goes.
  copy->SetVoidArray(block, values, 0, vtkAbstractArray::VTK_DATA_ARRAY_FREE);
  return copy;
}

bool vFastArrayCopy::SplitImage(vtkImageData* source,
  vtkSmartPointer<vtkImageData>& shell,
  vtkSmartPointer<vtkDataArray>& voxels)
{
  shell = nullptr;
  voxels = nullptr;
  vtkDataArray* scalars =
    source && source->GetPointData() ? source->GetPointData()->GetScalars() : nullptr;
  if (!scalars || !scalars->HasStandardMemoryLayout() ||
    static_cast<long long>(scalars->GetNumberOfValues()) * scalars->GetDataTypeSize() <
      MinimumBytes)
  {
    return false;
  }
  voxels = Copy(scalars);
  if (!voxels)
  {
    return false;
  }
  shell = vtkSmartPointer<vtkImageData>::New();
  shell->ShallowCopy(source);
  shell->GetPointData()->SetScalars(nullptr); // drops the shared scalars from the shell only
  return true;
}
