#ifndef vReadIsolation_h
#define vReadIsolation_h

#include "VemoraIOModule.h"

#include <vtkSmartPointer.h> // for members

#include <cstdint>
#include <string>
#include <vector>

class vtkDataArray;
class vtkDataSet;

/** One array of a helper's reply, its values mapped from the shared file (no copy). */
struct vReadArray
{
  std::string Role; // "points", "polys.offsets", "pd.scalars", "pixels" ...
  std::string Name;
  vtkSmartPointer<vtkDataArray> Array;
};

/** What the read helper answered. */
struct VEMORAIO_EXPORT vReadReply
{
  /** The lines of the reply other than arrays, split into words (the last word of "error" and
   * "file" and "notice" lines is the rest of the line). */
  std::vector<std::vector<std::string>> Lines;
  std::vector<vReadArray> Arrays;

  /** The first line starting with `word`, or null. */
  const std::vector<std::string>* Find(const std::string& word) const;
  /** The first array with `role`, or null. */
  vtkDataArray* FindArray(const std::string& role) const;
  /** The helper's "error" text, or "". */
  std::string Error() const;
};

/**
 * Runs reads of foreign formats by third-party code (reader plug-ins, VTK's VRML importer, GDCM)
 * in the read helper, a program of the installation started with posix_spawn (fork and exec in
 * one, sound in a process with threads). A crash, an abort or a hang of the reader ends only the
 * helper: the read fails. The helper runs with a memory limit (address space, at most the
 * machine's memory) and a time limit (`SetTimeLimit`, CPU and wall-clock time: at its end the
 * helper is killed).
 *
 * The helper hands data back in a shared memory file (memfd): the large arrays a reader allocated
 * (64 MiB or more) are already blocks of that file (vSharedHeap), which the workstation maps; a
 * large volume crosses without a copy. Smaller arrays are copied straight out of the helper's
 * memory (process_vm_readv) while it waits, where the system lets this process read a child's
 * memory; elsewhere, or after such a copy failed once, they are copied into the file and out of
 * it (vSharedBlock). The reply names each array's type, size and block; the workstation checks
 * every size against the file before it trusts it, and copies no more than the reply says.
 *
 * Thread-safe: each call has its own pipe, shared file and child.
 */
class VEMORAIO_EXPORT vReadIsolation
{
public:
  /** Default time limit of one read, in seconds. */
  static constexpr double DefaultTimeLimit = 300.0;

  /**
   * Runs the helper with `request` (its words after the limits: "plugin PATH LIB", "dicom PATH
   * MAX", ...). True when it ran to its end and answered; false (with `failure` set, for
   * developers) when it could not start, crashed, was killed or answered nonsense.
   */
  static bool Run(const std::vector<std::string>& request, vReadReply& reply, std::string& failure);

  /**
   * The data set of a reply holding "image" or "poly": the arrays become its points, cells and
   * attributes as they are. Null when the reply holds none or its arrays do not fit together
   * (sizes, types, counts).
   */
  static vtkSmartPointer<vtkDataSet> Assemble(const vReadReply& reply);

  /** The helper program (beside the IO library). */
  static std::string HelperPath();

  static void SetTimeLimit(double seconds);
  /**
   * Whether small arrays may be copied straight out of the helper (on by default; it is used
   * only where the system allows it). Off: every array comes through the shared file.
   */
  static void SetRemoteCopy(bool remote);
  static double GetTimeLimit();
};

#endif
