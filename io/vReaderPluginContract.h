#ifndef vReaderPluginContract_h
#define vReaderPluginContract_h

/**
 * The contract between `vFileReader` and a reader plug-in: a shared library (`*.so`) in the
 * installation's `Soft` folder that exports these plain C functions under exactly these names.
 *
 * - `GetDataType`: the format type, 4096 (the plug-in reads models into `vtkPolyData`) or 8192
 *   (it reads image volumes into `vtkImageData`).
 * - `GetExt`: the file extension without the dot, for example "stl".
 * - `GetDesc`, `GetVer`, `GetName`: description, version and reader name shown to the user.
 * - `Read(path)`: a new data set (reference count 1, owned by the caller, who releases it with
 *   `Delete`), or null when the file cannot be read. It must stay valid after the library is
 *   unloaded: use only VTK's own classes, no memory freed by code of the plug-in.
 * - `ReleaseMemory` (optional, image plug-ins): called right after `Read`.
 *
 * The five describing functions are called once at start-up and their texts are copied at once;
 * all five must exist or the library is ignored. The library is unloaded after that scan. Reads
 * run in the read helper, a process of its own (vReadIsolation): it loads the library, calls
 * `Read` and `ReleaseMemory`, and hands the data set's points, cells and point and cell data
 * arrays (plain arrays of numbers) back through shared memory. A plug-in that crashes, aborts or
 * hangs only fails its read.
 *
 * A plug-in includes this header and defines the functions; the host only uses the pointer types.
 */

class vtkDataSet;

#define VEMORA_READER_PLUGIN_API extern "C" __attribute__((visibility("default")))

VEMORA_READER_PLUGIN_API int GetDataType();
VEMORA_READER_PLUGIN_API const char* GetExt();
VEMORA_READER_PLUGIN_API const char* GetDesc();
VEMORA_READER_PLUGIN_API const char* GetVer();
VEMORA_READER_PLUGIN_API const char* GetName();
VEMORA_READER_PLUGIN_API vtkDataSet* Read(const char* path);
VEMORA_READER_PLUGIN_API void ReleaseMemory();

/** Pointer types of the exports, as the host looks them up. */
namespace vReaderPlugin
{
using GetDataTypeFunction = int (*)();
using GetTextFunction = const char* (*)();
using ReadFunction = vtkDataSet* (*)(const char*);
using ReleaseMemoryFunction = void (*)();
} // namespace vReaderPlugin

#endif
