#ifndef vInstallation_h
#define vInstallation_h

#include "VemoraCommonModule.h"

#include <string>

/**
 * The installation folder: where the program, its libraries and the folders `Modules`, `Soft`,
 * `Hard`, `SystemRegistry`, `Scripts`, `History` and `local` live.
 *
 * It is the folder of the running executable, unless the environment variable `VEMORA_HOME`
 * names another one (tests and batch runs use that to keep away from the real configuration).
 * Paths are returned without a trailing "/".
 */
class VEMORACOMMON_EXPORT vInstallation
{
public:
  /** The installation folder, looked up anew on every call (the environment may change). */
  static std::string GetFolder();

  /** A folder inside the installation folder, for example `GetSubFolder("Modules")`. */
  static std::string GetSubFolder(const std::string& name);

  /** The folder of the running executable (`/proc/self/exe`), ignoring `VEMORA_HOME`. */
  static std::string GetExecutableFolder();

  /** Creates the folder and its missing parents; true when it exists afterwards. */
  static bool MakeFolder(const std::string& path);

  /** True when the path names an existing folder. */
  static bool IsFolder(const std::string& path);

  /** True when the path names an existing regular file. */
  static bool IsFile(const std::string& path);
};

#endif
