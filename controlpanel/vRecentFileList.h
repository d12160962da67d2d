#ifndef vRecentFileList_h
#define vRecentFileList_h

#include "VemoraCPModule.h"

#include <string>

/**
 * The recently opened files, kept in "RecentFiles.conf" of the `SystemRegistry` folder.
 *
 * The list has `NumberOfSlots` (name, path) slots of which the first `Limit` are in use; slot 0 is
 * the most recent file. The file holds one line per slot with a name: the name, a ",", the full
 * path, "\n". Reading trims blanks at both ends of each line, skips empty lines, lines beginning
 * with "#" and lines whose first "," is missing or first; the name is the text before the first
 * ",", the path everything after it; only the first `Limit` entries are taken.
 *
 * Reading is bounded (`MaximumFileBytes`; lines longer than `MaximumLineLength` are skipped), and
 * an entry that could not be read back as it was written (a name holding "," or a line end, a
 * path holding a line end) is never stored.
 */
class VEMORACP_EXPORT vRecentFileList
{
public:
  static constexpr int NumberOfSlots = 128;
  static constexpr int Limit = 10;
  static constexpr std::size_t MaximumLineLength = 8192;
  static constexpr std::size_t MaximumFileBytes = 4u << 20;

  static const char* FileName() { return "RecentFiles.conf"; }
  /** The full path of "RecentFiles.conf" in the configuration folder (`GetStateFolder`). */
  static std::string DefaultPath();

  /** Empties every slot. */
  void Clear();
  /** Reads the file into the slots (emptied first); false when it cannot be opened. */
  bool Read(const std::string& path);
  bool Read() { return this->Read(DefaultPath()); }
  /** The file's text: every slot with a name, in slot order. */
  std::string ToText() const;
  /** Writes the file atomically; false (and the old file untouched) on failure. */
  bool Write(const std::string& path) const;
  bool Write() const { return this->Write(DefaultPath()); }

  /**
   * The recent-file update after a successful open. When a slot already holds exactly this name
   * (letter case counts) nothing changes and the result is false. Otherwise the entries move down
   * one slot (the last in use dropping off when `Limit` are in use), the entry goes to slot 0 and
   * the result is true: the caller then writes the file anew.
   */
  bool Update(const std::string& name, const std::string& path);

  /** Number of slots in use (slots with a name, counted from 0). */
  int GetNumberOfFiles() const;
  /** Name and path of a slot; "" for an index out of range or an empty slot. */
  std::string GetName(int slot) const;
  std::string GetPath(int slot) const;
  /** The slot holding exactly this name, or -1. */
  int Find(const std::string& name) const;
  /** The path of the slot holding this name, or "". */
  std::string GetPathOf(const std::string& name) const;

private:
  static bool IsStorable(const std::string& name, const std::string& path);

  std::string Names[NumberOfSlots];
  std::string Paths[NumberOfSlots];
};

#endif
