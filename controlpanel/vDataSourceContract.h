#ifndef vDataSourceContract_h
#define vDataSourceContract_h

/**
 * The data-source (hard resource) plug-in contract.
 *
 * A data source is a shared library (`*.so`) in the installation's `Hard` folder offering live
 * data. At start-up the engine loads each one, calls the four exports below in the order
 * GetDataType, GetDesc, GetName, GetVer, copies the texts, and unloads the library again; a library
 * lacking any of the four is skipped without a message. The texts must stay valid until the
 * library is unloaded.
 *
 * | export        | signature    | meaning                                                  |
 * |---------------|--------------|----------------------------------------------------------|
 * | "GetDataType" | int ()       | the data type code of what it delivers (4 image, 16 mesh) |
 * | "GetDesc"     | const char* ()| a description                                           |
 * | "GetName"     | const char* ()| its name (looked up ignoring letter case)               |
 * | "GetVer"      | const char* ()| its version                                             |
 *
 * How data is fetched from a source is between the source and the modules that use it; the sources
 * shipped with the system also export
 *
 * | "Acquire"     | vtkDataSet* (int frame) | a new data set (the caller owns it) for a frame
 * number |
 */

class vtkDataSet;

extern "C"
{
  typedef int (*vDataSourceTypeFunction)();
  typedef const char* (*vDataSourceTextFunction)();
  typedef vtkDataSet* (*vDataSourceAcquireFunction)(int);
}

namespace vDataSourceExport
{
constexpr const char* GetDataType = "GetDataType";
constexpr const char* GetDesc = "GetDesc";
constexpr const char* GetName = "GetName";
constexpr const char* GetVer = "GetVer";
constexpr const char* Acquire = "Acquire";
} // namespace vDataSourceExport

#endif
