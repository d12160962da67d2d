#include "vVoxelBuffer.h"

#include <cstdlib>
#include <sys/mman.h>

vVoxelBuffer::vVoxelBuffer(std::size_t bytes)
{
  const std::size_t alignment = bytes >= HugePage ? HugePage : 64;
  // aligned_alloc wants a multiple of the alignment; an empty request still gives a block.
  std::size_t rounded = (bytes + alignment - 1) / alignment * alignment;
  if (rounded == 0 || rounded < bytes)
  {
    rounded = alignment;
  }
  this->Data = std::aligned_alloc(alignment, rounded);
  if (this->Data && alignment == HugePage)
  {
    ::madvise(this->Data, rounded, MADV_HUGEPAGE);
  }
}

vVoxelBuffer::~vVoxelBuffer()
{
  std::free(this->Data);
}

void* vVoxelBuffer::Release()
{
  void* data = this->Data;
  this->Data = nullptr;
  return data;
}
