#ifndef vVoxelBuffer_h
#define vVoxelBuffer_h

#include <cstddef>

/**
 * A freshly allocated block for a large voxel read, freed with `free` (so it can be handed to a
 * VTK array as VTK_DATA_ARRAY_FREE with `Release`).
 *
 * Blocks of 2 MiB or more are aligned to 2 MiB and marked for transparent huge pages: the cost of
 * reading into a fresh block is its page faults, and 512 times fewer of them make the read close
 * to a plain copy. (glibc's own large blocks sit 16 bytes past a page boundary, which slows one
 * large `read` down several times.) Smaller blocks are aligned to 64 bytes.
 */
class vVoxelBuffer
{
public:
  static constexpr std::size_t HugePage = std::size_t(2) << 20;

  explicit vVoxelBuffer(std::size_t bytes);
  ~vVoxelBuffer();
  vVoxelBuffer(const vVoxelBuffer&) = delete;
  vVoxelBuffer& operator=(const vVoxelBuffer&) = delete;

  /** The block, or null when it could not be allocated. */
  void* Get() const { return this->Data; }
  /** Hands the block over (to be freed with `free`); the object forgets it. */
  void* Release();

private:
  void* Data = nullptr;
};

#endif
