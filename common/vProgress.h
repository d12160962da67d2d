#ifndef vProgress_h
#define vProgress_h

#include "VemoraCommonModule.h"

#include <chrono>
#include <string>

/**
 * Progress of long operations (reading a DICOM series, a large volume or mesh), shown to the user
 * and cancellable. One reporter is current for the process: the window installs one that shows a
 * progress bar with a Cancel button in its status bar; batch runs install a text one when asked
 * (--progress); without one nothing is reported and nothing is cancelled.
 *
 * Readers report through a `vProgressScope`, which calls the reporter at most every
 * `vProgressScope::Interval` (so reporting costs next to nothing in tight loops) and remembers a
 * cancellation.
 */
class VEMORACOMMON_EXPORT vProgress
{
public:
  virtual ~vProgress();
  /** An operation starts; `text` says what it is ("Reading head.qv"). */
  virtual void Begin(const std::string& text) = 0;
  /** Its progress, 0 to 1 (negative: unknown); false when the user asked to stop it. */
  virtual bool Update(double fraction) = 0;
  /** The operation ended (done, failed or cancelled). */
  virtual void End() = 0;

  /** The current reporter, or null. */
  static vProgress* Get();
  /** Makes `reporter` current (borrowed); null removes it. */
  static void Install(vProgress* reporter);
};

/**
 * One operation, from its start to its end (a read of a file). The outermost scope begins and
 * ends the operation with the reporter; scopes inside it (a series read inside an open) change
 * nothing. Code anywhere inside reports with the static `Report` and stops when it answers false.
 */
class VEMORACOMMON_EXPORT vProgressScope
{
public:
  /** The shortest time between two calls of the reporter. */
  static constexpr std::chrono::milliseconds Interval{ 40 };

  explicit vProgressScope(const std::string& text);
  ~vProgressScope();
  vProgressScope(const vProgressScope&) = delete;
  vProgressScope& operator=(const vProgressScope&) = delete;

  /**
   * Reports `done` of `total` (any units; total 0 or less: unknown) of the running operation;
   * false once it was cancelled. Cheap: the reporter is called at most every `Interval`; outside
   * any scope it does nothing and answers true.
   */
  static bool Report(double done, double total);
  /** True once the user asked to stop the running operation. */
  static bool Cancelled();

private:
  bool Outermost = false;
};

#endif
