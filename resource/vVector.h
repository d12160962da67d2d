#ifndef vVector_h
#define vVector_h

#include "vResource.h"

#include <cstddef>
#include <cstdlib>
#include <memory>

class vtkImageData;

/**
 * A raw three-dimensional array of numbers, in memory and in a binary file, that the
 * volume-rendering layer turns into an image.
 *
 * The buffer holds nx * ny * nz values of the data type (x varies fastest): 1 unsigned 8-bit
 * values, 2 signed 32-bit integers, 3 doubles, in the machine's byte order. The binary file holds
 * exactly those bytes and no header; its name is the property set's file name.
 *
 * The object remembers how many bytes its buffer holds: no operation reads or writes past them.
 * File and image operations need a buffer that holds at least `GetSize()` values of the current
 * data type; with another data type code (not 1, 2 or 3) they do nothing.
 *
 * A new vector has dimensions 1 x 1 x 1, data type 1, no buffer, is unlocked, and has the
 * property-set name "vector" and file name "vector.raw".
 */
class VEMORARESOURCE_EXPORT vVector : public vResource
{
public:
  /** Data type codes. */
  enum DataType
  {
    UnsignedChar = 1,
    Int = 2,
    Double = 3
  };

  vVector();
  ~vVector() override;

  void SetDimensions(int nx, int ny, int nz);
  void GetDimensions(int& nx, int& ny, int& nz) const;
  /** nx * ny * nz; 0 when a dimension is negative or the product exceeds the int range. */
  int GetSize() const;

  /** Sets the data type code; the buffer is not converted. */
  void SetDataType(int type) { this->Type = type; }
  int GetDataType() const { return this->Type; }
  /** Bytes of one value of the data type: 1, 4 or 8; 0 for an unknown code. */
  static std::size_t GetElementSize(int type);

  /** Without a buffer, allocates one for `GetSize()` values of the data type (all 0). */
  void Initialize();

  /**
   * Replace the buffer by a copy of `GetSize()` values read from `values` (the data type is
   * not changed). Skipped while the vector is locked or when `values` is null.
   */
  void SetDataFromChar(const unsigned char* values);
  void SetDataFromInt(const int* values);
  void SetDataFromDouble(const double* values);
  /**
   * Takes `data` as the buffer: it must come from `std::malloc` (the vector frees it with
   * `std::free`) and hold `GetSize()` values of the current data type. Skipped while locked, and
   * then `data` stays the caller's.
   */
  void SetDataPointer(void* data);
  /** The same with the buffer's size in bytes given explicitly. */
  void SetDataPointer(void* data, std::size_t bytes);

  void* GetDataPointer() const { return this->Data.get(); }
  unsigned char* GetDataAsChar() const { return static_cast<unsigned char*>(this->Data.get()); }
  int* GetDataAsInt() const { return static_cast<int*>(this->Data.get()); }
  double* GetDataAsDouble() const { return static_cast<double*>(this->Data.get()); }
  /** Size of the buffer in bytes (0 without one). */
  std::size_t GetDataSizeInBytes() const { return this->Data ? this->DataBytes : 0; }

  void Lock() { this->Locked = true; }
  void Unlock() { this->Locked = false; }
  bool isLocked() const { return this->Locked; }

  /**
   * Frees the buffer and loads `GetSize()` values from the binary file. The buffer stays null
   * when the file cannot be opened, is not a regular file or holds fewer bytes than needed.
   * Skipped while locked.
   */
  void Read() override;
  /**
   * Stores `GetSize()` values of the buffer in the binary file (written to a temporary file and
   * renamed over it). Skipped while locked or without a buffer.
   */
  void Write() override;
  /**
   * Writes the values as a text table: one line per (y, z) row, each value "%.4f" followed by a
   * tab, the last one of a line by a line feed. Values are converted from the data type.
   * Skipped without a buffer.
   */
  virtual void WriteToTextFile();

  /**
   * A new image of nx x ny x nz voxels (spacing 1, one component, scalar type unsigned char,
   * int or double) holding a copy of the buffer; null without a buffer. The caller owns it and
   * releases it with `Delete()`.
   */
  vtkImageData* toVtkImage();

private:
  struct FreeDeleter
  {
    void operator()(void* p) const { std::free(p); }
  };

  /** Bytes of `GetSize()` values of the current type; 0 when there is no valid array. */
  std::size_t GetNeededBytes() const;
  /** True when the buffer holds the values that the file and image operations use. */
  bool HasUsableBuffer() const;
  void ReplaceData(const void* values, std::size_t elementSize);
  void ResetData();

  int Dimensions[3] = { 1, 1, 1 };
  int Type = UnsignedChar;
  bool Locked = false;
  std::unique_ptr<void, FreeDeleter> Data;
  std::size_t DataBytes = 0;
};

#endif
