#ifndef vFolderConfiguration_h
#define vFolderConfiguration_h

#include "VemoraCPModule.h"

#include <string>
#include <vector>

/**
 * The current folder and the list of recent folders, kept in "Vemora.conf" of the
 * `SystemRegistry` folder. This is the state behind the workspace panel's folder box: the current
 * folder is the box's text, the folders are its list.
 *
 * File layout (one entry per line, "\n" line ends; "\r\n" is accepted when reading):
 *
 *   ## [CurrentDirectory]
 *   <current folder>            written only when not empty and holding a "/"
 *   <folder>                    every other list entry, not empty, differing from the current
 *   ...                         folder ignoring letter case, in list order
 *
 * Reading is bounded: at most `MaximumFileBytes` bytes are read, lines longer than
 * `MaximumLineLength` characters (or holding a NUL or another control character) are ignored, and
 * at most `MaximumFolders` folders are kept.
 */
class VEMORACP_EXPORT vFolderConfiguration
{
public:
  static constexpr int MaximumFolders = 128;
  static constexpr std::size_t MaximumLineLength = 4096;
  static constexpr std::size_t MaximumFileBytes = 4u << 20;

  /** The file name inside the `SystemRegistry` folder. */
  static const char* FileName() { return "Vemora.conf"; }
  /** The full path of "Vemora.conf" in the configuration folder (`GetStateFolder`). */
  static std::string DefaultPath();
  /** The folder used when no configuration exists (the user's home folder). */
  static std::string DefaultFolder();

  /**
   * Reads the file. When it cannot be opened the current folder and the only list entry become
   * `DefaultFolder()` and the result is false. Otherwise the rules above apply; a section whose
   * current-folder line is empty leaves the current folder as it was but still adds the list.
   */
  bool Read(const std::string& path);
  bool Read() { return this->Read(DefaultPath()); }
  /** The file's text for the present state. */
  std::string ToText() const;
  /** Writes the file atomically; false (and the old file untouched) on failure. */
  bool Write(const std::string& path) const;
  bool Write() const { return this->Write(DefaultPath()); }

  const std::string& GetCurrentFolder() const { return this->CurrentFolder; }
  /** Sets the current folder (the folder box's text); the list is not changed. */
  void SetCurrentFolder(const std::string& folder) { this->CurrentFolder = folder; }
  const std::vector<std::string>& GetFolders() const { return this->Folders; }
  /**
   * Adds a folder to the end of the list unless it is empty, already listed (exact comparison),
   * too long, or the list is full; true when it was added.
   */
  bool AddRecentFolder(const std::string& folder);

private:
  std::string CurrentFolder;
  std::vector<std::string> Folders;
};

#endif
