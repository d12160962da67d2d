#ifndef vLocalRepository_h
#define vLocalRepository_h

#include "VemoraCPModule.h"

#include <string>
#include <vector>

/**
 * The local repository: the folder `local` of per-user state holds one sub-folder per case, each
 * holding data files. The workspace panel shows every case as a node under "LocalRepository" and
 * its files as the node's children; deeper levels are not shown.
 *
 * Listing is by absolute path, sorted by name (hidden entries "." and ".." excluded), and bounded:
 * at most `MaximumCases` cases and `MaximumFilesPerCase` files per case.
 */
class VEMORACP_EXPORT vLocalRepository
{
public:
  static constexpr int MaximumCases = 128;
  static constexpr int MaximumFilesPerCase = 1024;

  struct Case
  {
    std::string Name;               // the case folder's name
    std::string Path;               // its full path
    std::vector<std::string> Files; // file names (regular files only), sorted
  };

  /** The `local` folder of per-user state (`vInstallation::GetStateFolder("local")`). */
  static std::string DefaultFolder();

  /** Lists the repository (`Refresh` again rebuilds it); false when the folder is missing. */
  bool Refresh(const std::string& folder);
  bool Refresh() { return this->Refresh(DefaultFolder()); }

  const std::string& GetFolder() const { return this->Folder; }
  const std::vector<Case>& GetCases() const { return this->Cases; }
  /** The full path of a file of a case: folder + "/" + case + "/" + file. */
  std::string GetFilePath(const std::string& caseName, const std::string& file) const;

private:
  std::string Folder;
  std::vector<Case> Cases;
};

#endif
