#ifndef vTempHome_h
#define vTempHome_h

#include <string>
#include <utility> // for members
#include <vector>  // for members

/**
 * A temporary installation folder for one test: made under the system's temporary folder with the
 * installation's sub-folders, named by `VEMORA_HOME` while the object lives, removed with
 * everything in it afterwards (the previous `VEMORA_HOME` is restored).
 */
class vTempHome
{
public:
  vTempHome();
  ~vTempHome();
  vTempHome(const vTempHome&) = delete;
  vTempHome& operator=(const vTempHome&) = delete;

  const std::string& Path() const { return this->Folder; }
  /** A path inside the folder: `Sub("Scripts")`, `Sub("Scripts/a.v")`. */
  std::string Sub(const std::string& relative) const { return this->Folder + "/" + relative; }
  /** Writes a file inside the folder (creating its folder); returns its path. */
  std::string WriteFile(const std::string& relative, const std::string& contents) const;
  /** Copies a file (for example a built plug-in) into the folder; returns the new path. */
  std::string CopyFile(const std::string& from, const std::string& relative) const;

  /**
   * Makes the folder an installed copy (the install step's marker file) whose user has the XDG
   * folders `Sub("user/config")` and `Sub("user/data")`; both variables are restored afterwards.
   */
  void MakeInstalledCopy();

private:
  std::string Folder;
  std::string Previous;
  bool HadPrevious = false;
  /** XDG variables as they were before `MakeInstalledCopy`, restored by the destructor. */
  std::vector<std::pair<std::string, std::pair<bool, std::string>>> SavedVariables;
};

/** Reads a whole file ("" when it cannot be read). */
std::string vReadFile(const std::string& path);

/** The path of a file of the shared real test data, for example "mesh/vtk/skin.vtk". */
std::string vTestData(const std::string& relative);

#endif
