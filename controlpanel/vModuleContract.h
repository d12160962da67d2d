#ifndef vModuleContract_h
#define vModuleContract_h

// The table below keeps its columns.
// clang-format off
/**
 * The analysis-module plug-in contract.
 *
 * A module is a shared library (`*.so`) in the installation's `Modules` folder. It exports plain C
 * functions under the exact names below; every one is optional, and a missing one makes the request
 * that needs it do nothing ("SetRenderWindow", "SetCP" and "Run" are needed together for the
 * start-up run). Strings are 8-bit, NUL-terminated, owned by the module, and copied by the caller
 * at once. All calls come from the user-interface thread, one at a time.
 *
 * | export                    | signature                        | called
 * |---------------------------|----------------------------------|--------------------------------
 * | "GetModuleVer"            | const char* ()                   | once at load
 * | "GetModuleName"           | const char* ()                   | once at load; identifies it
 * | "GetModuleDesc"           | const char* ()                   | once at load
 * | "GetModuleTargetDataType" | int ()  (bit set of data types)  | once at load
 * | "SetRenderWindow"         | void (vtkRenderWindow*)          | start-up run: the first window
 * | "SetCP"                   | void (CVemoraCP*)                | start-up run: the facade
 * | "Run"                     | void ()                          | start-up run; adds its page
 * | "SetPrimaryData"          | void (int index)                 | CVemoraModules::SetPrimaryData
 * | "AddSecondaryData"        | void (int type, int index)       | CVemoraModules::AddSecondaryData
 * | "GetViewer"               | vViewer* ()  (null: no viewer)   | CVemoraModules::GetViewer
 * | "DelViewer"               | void ()                          | CVemoraModules::DeleteViewer
 * | "DetachData"              | void ()                          | CVemoraModules::DetachData
 * | "Command"                 | int (const char* text)           | "word arg1 arg2 ..." (one blank)
 * | "GetLastMessage"          | const char* ()                   | the console, after every Command
 * | "GetCommandList"          | const char* ()  (looked up only) | the console's command-list query
 * | "ReleaseMemory"           | void ()                          | just before the library unloads
 *
 * The control panel itself sends "coolstart" and "add <data name>" through "Command".
 *
 * Data type codes (single bits, combinable in a target data type): 2 model, 4 image volume,
 * 16 surface mesh, 32 small point set, 64 point cloud, 256 hard resource.
 */
// clang-format on

class CVemoraCP;
class vViewer;
class vtkRenderWindow;

extern "C"
{
  typedef const char* (*vModuleTextFunction)();
  typedef int (*vModuleIntegerFunction)();
  typedef void (*vModuleVoidFunction)();
  typedef void (*vModuleSetRenderWindowFunction)(vtkRenderWindow*);
  typedef void (*vModuleSetCPFunction)(CVemoraCP*);
  typedef void (*vModuleSetPrimaryDataFunction)(int);
  typedef void (*vModuleAddSecondaryDataFunction)(int, int);
  typedef vViewer* (*vModuleGetViewerFunction)();
  typedef int (*vModuleCommandFunction)(const char*);
}

/** The export names, exactly as looked up. */
namespace vModuleExport
{
constexpr const char* GetModuleVer = "GetModuleVer";
constexpr const char* GetModuleName = "GetModuleName";
constexpr const char* GetModuleDesc = "GetModuleDesc";
constexpr const char* GetModuleTargetDataType = "GetModuleTargetDataType";
constexpr const char* SetRenderWindow = "SetRenderWindow";
constexpr const char* SetCP = "SetCP";
constexpr const char* Run = "Run";
constexpr const char* SetPrimaryData = "SetPrimaryData";
constexpr const char* AddSecondaryData = "AddSecondaryData";
constexpr const char* GetViewer = "GetViewer";
constexpr const char* DelViewer = "DelViewer";
constexpr const char* DetachData = "DetachData";
constexpr const char* Command = "Command";
constexpr const char* GetLastMessage = "GetLastMessage";
constexpr const char* GetCommandList = "GetCommandList";
constexpr const char* ReleaseMemory = "ReleaseMemory";

/**
 * Runs `call` so that no exception crosses the C interface, on either side: one that escapes (a
 * C++ module out of memory) gives `failure`, as a failed or missing export would.
 */
template <typename Result, typename Call>
Result Guarded(Result failure, Call call) noexcept
{
  try
  {
    return call();
  }
  catch (...)
  {
    return failure;
  }
}

/** The same for a call without a result. */
template <typename Call>
void Guarded(Call call) noexcept
{
  try
  {
    call();
  }
  catch (...)
  {
  }
}
} // namespace vModuleExport

/** Marks a function of a plug-in as one of its exports. */
#define VEMORA_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

#endif
