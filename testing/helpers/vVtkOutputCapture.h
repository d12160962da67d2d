#ifndef vVtkOutputCapture_h
#define vVtkOutputCapture_h

#include <string>
#include <vector>

/**
 * Every test program routes VTK's output window (and `vLog`) here. A warning or an error that a
 * test did not announce fails the test; a test that expects some wraps the code in a
 * `vExpectVtkMessages` scope and may look at what came.
 */
namespace vVtkOutputCapture
{
/** Installs the capturing output window (done by the test main). */
void Install();
/** Messages (warnings and errors) received since the last `Take`; they are forgotten. */
std::vector<std::string> Take();
/** Messages received outside any `vExpectVtkMessages` scope since the last call; forgotten. */
std::vector<std::string> TakeUnexpected();
} // namespace vVtkOutputCapture

/** Within its lifetime VTK warnings and errors are expected and do not fail the test. */
class vExpectVtkMessages
{
public:
  vExpectVtkMessages();
  ~vExpectVtkMessages();
  vExpectVtkMessages(const vExpectVtkMessages&) = delete;
  vExpectVtkMessages& operator=(const vExpectVtkMessages&) = delete;
  /** The messages received so far within this scope. */
  std::vector<std::string> Messages() const;
  /** True when one of the messages contains `text`. */
  bool Contains(const std::string& text) const;

private:
  size_t First;
};

#endif
