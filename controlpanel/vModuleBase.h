#ifndef vModuleBase_h
#define vModuleBase_h

#include "VemoraCPModule.h"

#include <string>

class vComponentPanel;
class CVemoraCPEXE;
class vViewer;
class vViewerWrapperBase;

/**
 * The base of an analysis module's own module object (it lives in the control-panel library so
 * that modules link against it).
 *
 * A module keeps its primary data (one data index) and up to `MaximumSecondaryData` secondary data
 * indices, resolves data names through the engine (its controller), and holds the viewer wrapper
 * that builds its viewer. Last errors: 0 none, 1 data of an unsuitable type (or a name that
 * resolves to nothing, for the primary data), 5 data name not found (secondary data).
 *
 * The viewer wrapper is owned: `SetViewerWrapper` takes a reference, and the destructor releases
 * it after `DeleteViewer`.
 */
class VEMORACP_EXPORT vModuleBase
{
public:
  static constexpr int MaximumSecondaryData = 128;
  static constexpr int NoError = 0;
  static constexpr int UnsuitableData = 1;
  static constexpr int DataNotFound = 5;

  vModuleBase();
  /** Runs `DeleteViewer` and releases the viewer wrapper. */
  virtual ~vModuleBase();
  vModuleBase(const vModuleBase&) = delete;
  vModuleBase& operator=(const vModuleBase&) = delete;

  /** The viewer of the wrapper, or null without a wrapper. */
  virtual vViewer* GetCurrentViewer();
  /**
   * With a wrapper: the caption of the current window becomes "Welcome to QOVA", the wrapper's
   * viewer is removed and the module is deactivated in the current render window. In every case
   * the primary and secondary data are forgotten.
   */
  virtual void DeleteViewer();
  /** Starts the module without data; does nothing here. */
  virtual void CoolStart();
  /** Takes a data index as primary data. */
  virtual void SetPrimaryData(int index) = 0;
  /** Resolves the name; sets the primary data when its type suits the module (else error 1). */
  virtual void SetPrimaryDataByName(const std::string& name);
  /** The bit set of data type codes the module accepts. */
  virtual int GetTargetDataType() = 0;
  /** Takes a data item of a type as secondary data. */
  virtual void AddSecondaryData(int type, int index) = 0;
  /** Resolves the name and adds it as secondary data (error 5 when it resolves to nothing). */
  virtual void AddSecondaryDataByName(const std::string& name);
  /** Lets go of every data item the module shows (no caller in the control panel uses it). */
  virtual void DetachData() = 0;

  CVemoraCPEXE* GetController() const { return this->Controller; }
  /** The engine (borrowed). */
  void SetController(CVemoraCPEXE* controller) { this->Controller = controller; }
  vComponentPanel* GetParentUI() const { return this->ParentUI; }
  void SetParentUI(vComponentPanel* ui) { this->ParentUI = ui; }

  vViewerWrapperBase* GetViewerWrapper() const { return this->ViewerWrapper; }
  /** Sets (or with null, drops) the wrapper; the module keeps a reference to it. */
  void SetViewerWrapper(vViewerWrapperBase* wrapper);

  int GetPrimaryDataId() const { return this->PrimaryDataId; }
  /** Secondary data index i, or -1 for an index out of range. */
  int GetSecondaryDataId(int i) const;
  int GetNumberOfSecondaryData() const { return this->NumberOfSecondaryData; }
  /**
   * Records a secondary data index (for modules that keep them); false when the table is full.
   */
  bool RecordSecondaryData(int index);
  int GetLastError() const { return this->LastError; }
  void ResetErrMsg() { this->LastError = NoError; }

  static int GetCompatibleDataType2() { return 0; }

protected:
  void SetPrimaryDataId(int index) { this->PrimaryDataId = index; }
  void ForgetData();

  int LastError = NoError;
  vViewerWrapperBase* ViewerWrapper = nullptr; // owned reference (vtkObjectBase counting)
  vComponentPanel* ParentUI = nullptr;         // borrowed
  CVemoraCPEXE* Controller = nullptr;          // borrowed: the engine
  int PrimaryDataId = -1;
  int SecondaryDataIds[MaximumSecondaryData];
  int NumberOfSecondaryData = 0;
  // Four integers for the module's own use; the control panel never reads them.
  int Int1 = 10;
  int Int2 = 10;
  int Int3 = 10;
  int Int4 = 10;
};

#endif
