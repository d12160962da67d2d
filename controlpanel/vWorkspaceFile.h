#ifndef vWorkspaceFile_h
#define vWorkspaceFile_h

#include "VemoraCPModule.h"

#include <string>

class CVemoraCPEXE;

/**
 * The workspace file: a script of the console's language that rebuilds the workspace when it is
 * run (the models and volumes are loaded again, the activated module restarted with "coolstart",
 * and the layers of its viewer created again). There is no reader of its own: the interpreter runs
 * it like any script.
 *
 * The text, line by line: "# workspace created by QOVA", a "# Visit ..." comment, an empty line,
 * "# MODELS", "load '<path>'" per model, "# VOLUMES", "load '<path>'" per volume,
 * "# activated component", then either the module's name, "coolstart", "# Layers" and each
 * layer's script text (`vLayer::ToV`) of the module's viewer, or "# No component"; last
 * "# THE END" without a line end. Lines end in "\n". `CVemoraCPEXE::SaveWorkspace` writes it.
 */
class VEMORACP_EXPORT vWorkspaceFile
{
public:
  /** The file's text for the engine's current workspace. */
  static std::string GetText(CVemoraCPEXE* engine);
  /** Writes the text to `path` atomically; false (and nothing changed) when it cannot. */
  static bool Write(CVemoraCPEXE* engine, const std::string& path);
  /** The filter of the save dialog. */
  static const char* GetFilter() { return "Script file (*.v) | *.v |"; }
};

#endif
