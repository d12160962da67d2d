#ifndef vUtil_h
#define vUtil_h

#include "VemoraCommonModule.h"

#include <string>
#include <vector>

/**
 * Static helpers shared by the libraries: the 4 x 4 matrix text file, two number-list readers, a
 * fixed-width row formatter for text tables and a path splitter.
 *
 * Matrix text file ("MATRIX 4 x 4"): the header line, then rows 0 to 3 of a row-major 4 x 4 matrix
 * (element [row][column] at row * 4 + column), four numbers separated by single blanks.
 *
 * Number-list file: the count N (optionally after "Number:"), then one number per line. Its ranged
 * form has a lower bound ("Range Min:") and an upper bound ("Range Max:") line before the numbers.
 *
 * Numbers are read and written with '.' as decimal point whatever the process's locale. Files are
 * read line by line ("\n" or "\r\n"); a line longer than `MaxLineLength` is cut there (the rest
 * of it is skipped), and only regular files are read (a folder, a device or a pipe counts as a file
 * that cannot be opened), so no input makes a reader hang or grow without bound.
 */
class VEMORACOMMON_EXPORT vUtil
{
public:
  /** Characters of a line that the readers keep. */
  static constexpr std::size_t MaxLineLength = 4096;

  /**
   * Reads a matrix text file into `matrix` (16 values). Returns -1 when the file cannot be
   * opened, 1 otherwise. A file whose first line is not "MATRIX 4 x 4" (any letter case) leaves
   * `matrix` unchanged. In each row line, the numbers before the first three blanks go to columns
   * 0, 1, 2 (fewer blanks leave those columns unchanged) and the number that the rest starts with
   * goes to column 3; a missing row line reads as empty (column 3 becomes 0), unreadable text as 0.
   */
  static int LoadMat(const std::string& path, double matrix[16]);

  /**
   * Writes `matrix` as a matrix text file, six decimals per value. The file is replaced atomically
   * (temporary file and rename). Returns 0 on success, 1 when it could not be written.
   */
  static int SaveMat(const std::string& path, const double matrix[16]);

  /**
   * Reads a number-list file into `values`, which has room for `capacity` doubles. The count N
   * is the integer that line 1 starts with (after dropping every "Number:" when the line begins
   * with "Number"). The next N lines give the values; missing lines read as 0.
   * Returns -1 when the file cannot be opened; otherwise the number of values stored, which is N
   * when the array can hold them, `capacity` when N is larger, and 0 for a negative N. Nothing is
   * written past `capacity`.
   */
  static int ReadDoubleArray(const std::string& path, double* values, int capacity);

  /**
   * The ranged form: line 2 gives `low` (after "Range Min:"), line 3 gives `high` (after
   * "Range Max:"), then the N values follow. The prefixes "Number", "Range Min:" and "Range Max:"
   * are recognised in any letter case, but only their exact spelling is removed. Results as in the
   * plain form; `low` and `high` are unchanged when the file cannot be opened.
   */
  static int ReadDoubleArray(const std::string& path,
    double* values,
    int capacity,
    double& low,
    double& high);

  /**
   * Concatenates the cells, each padded with blanks to its width (`widths[i]`; a cell without a
   * width, or with a width below its length, is kept as it is). No separator is added.
   */
  static std::string ConstructRow(const std::vector<std::string>& cells,
    const std::vector<int>& widths);

  /**
   * The folder part of a path: the text before the last "/". A path without "/" is split at the
   * last "\" (paths written on Windows); a path with neither is returned whole. A file directly in
   * the root folder gives "/".
   */
  static std::string ExtractFilePath(const std::string& path);

  /** True when `a` and `b` are equal but for the letter case of ASCII letters. */
  static bool EqualsNoCase(const std::string& a, const std::string& b);
};

#endif
