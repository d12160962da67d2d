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
 * The executable's path comes from `/proc/self/exe`, which has every symbolic link resolved, so a
 * program started through a link (`/usr/bin/vemora`) still finds its real folder.
 * Paths are returned without a trailing "/".
 *
 * Per-user state (configuration, recent files, window layout, history, the local repository) is
 * found through `GetStateFolder`: in a build-tree copy it lives in the installation folder; in an
 * installed copy, shared by every user of the machine, it lives in the user's own folders.
 */
class VEMORACOMMON_EXPORT vInstallation
{
public:
  /** The installation folder, looked up anew on every call (the environment may change). */
  static std::string GetFolder();

  /** A folder inside the installation folder, for example `GetSubFolder("Modules")`. */
  static std::string GetSubFolder(const std::string& name);

  /**
   * The file the install step writes into the installation folder. Its presence marks an
   * installed copy, whose per-user state goes to the user's folders even when the folder is
   * writable (root running an installed program must not write into it).
   */
  static constexpr const char* InstalledMarkerName = "Installed.txt";

  /**
   * True when per-user state lives outside the installation folder: the folder holds the
   * installed-copy marker, or the process cannot write into it.
   */
  static bool IsSharedInstallation();

  /**
   * The folder of one kind of per-user state: "SystemRegistry" (Vemora.conf, RecentFiles.conf,
   * Vemora.ini), "History" (History.txt) or "local" (the local repository). Any other name, and
   * every name in a copy that is not shared, gives `GetSubFolder(name)`: shipped read-only files
   * (the splash image, scripts, plug-ins) stay in the installation.
   *
   * In a shared installation "SystemRegistry" is `$XDG_CONFIG_HOME/vemora`, "History" and "local"
   * are `$XDG_DATA_HOME/vemora/History` and `.../local` (an unset or relative variable means
   * `~/.config` and `~/.local/share`). The folder is made when missing (new folders readable by the
   * user only); a new local repository starts with a link to every case shipped in the
   * installation's own `local` folder (the demo). When it cannot be made the path is still
   * returned, and reads and writes there fail as they would for a missing file.
   */
  static std::string GetStateFolder(const std::string& name);

  /** The user's home folder: `$HOME` when absolute, else the password database, else "/". */
  static std::string GetUserHome();

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
