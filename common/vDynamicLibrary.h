#ifndef vDynamicLibrary_h
#define vDynamicLibrary_h

#include "VemoraCommonModule.h"

#include <string>
#include <vector>

/**
 * A library loaded at run time (`dlopen(RTLD_NOW | RTLD_LOCAL)`). The library stays loaded until
 * `Close` or the destructor. Not copyable; movable.
 */
class VEMORACOMMON_EXPORT vDynamicLibrary
{
public:
  vDynamicLibrary() = default;
  explicit vDynamicLibrary(const std::string& path) { this->Open(path); }
  ~vDynamicLibrary();
  vDynamicLibrary(const vDynamicLibrary&) = delete;
  vDynamicLibrary& operator=(const vDynamicLibrary&) = delete;
  vDynamicLibrary(vDynamicLibrary&& other) noexcept;
  vDynamicLibrary& operator=(vDynamicLibrary&& other) noexcept;

  /** Loads the library (closing any previous one); true on success, else `GetError` says why. */
  bool Open(const std::string& path);
  /** Unloads the library; does nothing when none is loaded. */
  void Close();
  bool IsOpen() const { return this->Handle != nullptr; }
  /** The address of an exported symbol, or null when the library lacks it or is not open. */
  void* GetSymbol(const std::string& name) const;
  /** The typed form of `GetSymbol`, for `extern "C"` functions. */
  template <typename F>
  F GetFunction(const std::string& name) const
  {
    return reinterpret_cast<F>(this->GetSymbol(name));
  }
  /** The raw handle (the library's identity), null when nothing is loaded. */
  void* GetHandle() const { return this->Handle; }
  const std::string& GetPath() const { return this->Path; }
  /** The loader's message for the last failure of `Open`. */
  const std::string& GetError() const { return this->Error; }
  /** Hands the handle over to the caller, who must `dlclose` it; the object forgets it. */
  void* Release();

  /**
   * The absolute paths of the regular files named `*.so` in a folder, sorted by file name.
   * A missing or unreadable folder gives an empty list.
   */
  static std::vector<std::string> ListLibraries(const std::string& folder);

private:
  void* Handle = nullptr;
  std::string Path;
  std::string Error;
};

#endif
