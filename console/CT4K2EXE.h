#ifndef CT4K2EXE_h
#define CT4K2EXE_h

#include "VoxletModule.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

class CVemoraCP;
class vScriptLineReader;
class vViewer;

/**
 * The interpreter of the console's command language.
 *
 * It takes one command at a time as a word and its parameters (`ProcCommand`), carries it out
 * through the control-panel facade and leaves the reply text in `GetLastMessage`. Results are 0
 * for success and a positive code otherwise (1 unknown name, 2 unknown module, 3 missing state,
 * 4 too many module parameters, 5 missing module export, 6 unknown object or info topic, 7 wrong
 * parameter count, 9 script loop, 10 index out of range, 11 no viewer for a layer, 12 unknown
 * renderer, 13 no viewer to clear, 14 unreadable or malformed matrix file, 15 unknown `set`
 * property, 16 value out of range, 17 no viewer, 18 a file that could not be written, 19 `cd` with
 * several parameters, 21 layer without orientation, 22 not enough memory: "error: not enough
 * memory in command 'WORD'", the workspace as it was). A module's own result passes through
 * unchanged; in module mode, a line the module refuses and nothing else takes gets the module's
 * own reply and result.
 *
 * The same object runs script files (by name from the `Scripts` folder of the installation, or
 * from any path as the menu does), keeps the command buffer the console recalls from, and enters
 * module mode when a word names an analysis module. Every instance loads the history file
 * (`History/History.txt`, per user in an installed copy) when it is made and writes it back,
 * atomically, when it is destroyed and its buffer changed.
 *
 * The controller is borrowed; the interpreter owns only its strings.
 */
class VOXLET_EXPORT CT4K2EXE
{
public:
  /** Capacity of the command buffer: an insertion leaves at most MaxBufferSize - 1 entries. */
  static constexpr int MaxBufferSize = 1024;
  /** Scripts calling scripts deeper than this are refused with result 9. */
  static constexpr int MaxScriptDepth = 64;
  /** Most parameters a module command may carry. */
  static constexpr int MaxModuleParameters = 12;
  /** Most smoothing passes `mc` runs; larger counts are cut to it. */
  static constexpr int MaxSmoothingIterations = 1000;
  /** Result of a command that ran out of memory (the workspace is left as it was). */
  static constexpr int OutOfMemory = 22;
  /** Largest history file read at start; a longer one is read up to here. */
  static constexpr size_t MaxHistoryBytes = 16u << 20;

  CT4K2EXE();
  virtual ~CT4K2EXE();
  CT4K2EXE(const CT4K2EXE&) = delete;
  CT4K2EXE& operator=(const CT4K2EXE&) = delete;

  void SetController(CVemoraCP* boss) { this->controller = boss; }
  CVemoraCP* GetBoss() const { return this->controller; }

  /**
   * Runs one command; the word is taken by value, the parameters are not changed. A command that
   * runs out of memory gives `OutOfMemory`; no exception leaves it.
   */
  int ProcCommand(std::string word, std::vector<std::string>& parameters);
  std::string GetLastMessage() const { return this->lastMessage; }
  int GetVersion();
  void SetStarter(const std::string& prompt) { this->starter = prompt; }
  std::string GetStarter() const { return this->starter; }

  // Module mode.
  int StartModule(const std::string& name);
  int ModuleCommand(const std::string& word, const std::vector<std::string>& parameters);
  int EndModule();
  int ShowCommandList();
  bool IsInModuleMode() const { return this->activeModule != nullptr; }

  // Scripts.
  /** Runs Scripts/<name>.v; 1 without such a file, else the result of its last command line. */
  int RunScript(const std::string& name);
  /**
   * Runs any script file as the menu does: stops at the first failing line, with a message. Only
   * regular files are run; anything else gives "Script file does not exist!" and 1.
   */
  int RunScriptFromUI(const std::string& path);
  /**
   * Runs the lines read from an open descriptor (standard input, a pipe, a FIFO, a terminal) as
   * `RunScriptFromUI` runs a file, each line as soon as it has arrived, until the input ends. The
   * descriptor is borrowed. `path` names the script for the self-call check ("" for none).
   */
  int RunScriptFromStream(int descriptor, const std::string& path);
  /**
   * Called after every command line of `RunScriptFromUI` with the line number (counting every
   * line from 0), the line as read (trimmed), the result and the reply. Batch runs print from it.
   */
  using LineObserver =
    std::function<void(int line, const std::string& text, int result, const std::string& reply)>;
  void SetLineObserver(LineObserver observer) { this->lineObserver = std::move(observer); }
  /**
   * Whether `RunScriptFromUI` stops at the first failing line (the default, as the menu runs
   * scripts). When it goes on, every failure is still reported and the result is the first
   * failing line's result.
   */
  void SetStopOnError(bool stop) { this->stopOnError = stop; }
  /**
   * Whether a script line whose reply begins with "error" (any letter case) or "errror" fails even
   * when its result is 0 (the line's result then becomes 1), as in batch runs; off by default.
   */
  void SetErrorRepliesFail(bool fail) { this->errorRepliesFail = fail; }

  // Command buffer (index 0 is the newest entry).
  void InitBufferPointer() { this->bufferPointer = -1; }
  int GetBufferSize() const { return static_cast<int>(this->commandBuffer.size()); }
  int GetMaxBufferSize() const { return this->maxBufferSize; }
  int GetBufferPointer() const { return this->bufferPointer; }
  /** The entry at `index`, or "" for an index outside the buffer. */
  std::string GetCommandFromBuffer(int index) const;
  void UpdateCommandBuffer(const std::string& line);
  /** Towards older entries, wrapping to the newest; "" on an empty buffer. */
  std::string GetNextCommand();
  std::string GetNextCommand(const std::string& prefix);
  /** Towards newer entries, wrapping to the oldest; "" on an empty buffer. */
  std::string GetPreviousCommand();
  std::string GetPreviousCommand(const std::string& prefix);

  /** The history file's full path (History.txt in `vInstallation::GetStateFolder("History")`). */
  std::string GetHistoryPath() const;
  /** The folder scripts are run from by name. */
  std::string GetScriptFolder() const;

  /** Display monitors as (width, height) in pixels; the GUI installs a provider. */
  using MonitorProvider = std::function<std::vector<std::pair<int, int>>()>;
  static void SetMonitorProvider(MonitorProvider provider);

  // The command set; each takes the parameters without the word.
  int GetCurDir();
  int GetDir();
  int CD(const std::vector<std::string>& parameters);
  int Clear(const std::vector<std::string>& parameters);
  int GetVar();
  int Open(const std::vector<std::string>& parameters);
  int Remove(const std::vector<std::string>& parameters);
  int Hide(const std::vector<std::string>& parameters);
  int Show(const std::vector<std::string>& parameters);
  int New(const std::vector<std::string>& parameters);
  int ShowInfo(const std::vector<std::string>& parameters);
  int ExtractSurface(const std::vector<std::string>& parameters);
  int Enlarge(const std::vector<std::string>& parameters);
  int ResetCamera(const std::vector<std::string>& parameters);
  int vtkMc(const std::vector<std::string>& parameters);
  int vtkSurfDist(const std::vector<std::string>& parameters);
  int Transform(const std::vector<std::string>& parameters);
  int Set(const std::vector<std::string>& parameters);
  /**
   * "screenshot FILE [SCALE]": a PNG picture of the current viewing tab at its size, or SCALE
   * (1 to 8) times it; "picture saved to PATH", or an error reply when nothing was written.
   */
  int Screenshot(const std::vector<std::string>& parameters);
  /**
   * "save NAME FILE": writes the model or volume NAME to FILE (relative to the current folder) in
   * the format of its extension (see `CVemoraCPEXE::SaveData`); "NAME saved to PATH", or an error
   * reply (results 1, 7, 18) when nothing was written.
   */
  int SaveData(const std::vector<std::string>& parameters);

  /** Line preprocessing as script files run from the menu use it. */
  static void PreprocCmdLine(std::string line, std::string& word, std::vector<std::string>& params);
  /** Trims, then drops one leading and one trailing single quote. */
  static std::string GetUsefulContent(const std::string& text);

protected:
  int CreateSphere(const std::vector<std::string>& parameters);
  int CreateLayer(const std::vector<std::string>& parameters);
  int ShowMonitorInfo();
  int ClearViewer();
  int SetBkgdColor(const std::vector<std::string>& parameters);
  int SetColor(const std::vector<std::string>& parameters);
  /**
   * "set bcolor|color R G B": the colour (each part 0 to 1) and the viewer to give it to; 0, or
   * the command's result with its message when the line or the viewer is unfit.
   */
  int ReadViewerColor(const std::vector<std::string>& parameters,
    const char* keyword,
    const char* function,
    double rgb[3],
    vViewer*& viewer);
  int SetOpacity(const std::vector<std::string>& parameters);
  int SetCaption(const std::vector<std::string>& parameters);
  int SetOrientation(const std::vector<std::string>& parameters);

  void LoadHistory();
  void UpdateHistory();

  /** The lines of a script run from the menu or a stream; `name` is the self-call name. */
  int RunLines(vScriptLineReader& reader, const std::string& name);
  /** A script's name as a self-call would write it: the file name without folder and ".v". */
  static std::string ScriptName(const std::string& path);
  /** Runs Scripts/<name>.v when it exists; `found` tells whether it did. */
  int RunNamedScript(const std::string& name, bool& found);
  /** A path typed by the user, made absolute against the current directory. */
  std::string ResolvePath(const std::string& path);
  /** The module manager's index of a module name, -1 without one (or without a controller). */
  int FindModuleIndex(const std::string& name);
  /** The activated module's viewer, null without one. */
  vViewer* GetViewer() const;
  // What the panels are told; without the GUI they are absent and this does the engine's part.
  void RefreshLayerPanel();
  void RemoveSelectedLayerItem();
  void SelectComponentTab(const std::string& name);
  /** An export of the active module's library, null when missing. */
  void* LookUpModuleExport(const char* name) const;
  /** `ProcCommand` without its guard against running out of memory. */
  int DispatchCommand(std::string word, std::vector<std::string>& parameters);
  /**
   * Refuses a command whose memory is known up front and does not fit: "error: not enough memory
   * in command 'WORD': WHAT needs [BOUND]N MiB, only M MiB are available", `OutOfMemory`.
   */
  int RefuseForMemory(const char* word,
    const char* what,
    unsigned long long bytes,
    const char* bound = "");
  /** Sets the message of the current command and returns `result`. */
  int Reply(int result, const std::string& message);
  /** "hide" and "show": the visibility of the layer named by the first parameter. */
  int SetLayerVisibility(const std::vector<std::string>& parameters,
    bool visible,
    const char* unknownError);

private:
  std::string version = "1.0.0.0D";
  std::string starter = ">> ";
  std::string scriptFolder = "Scripts";
  std::string scriptExtension = ".v";
  std::string lastMessage;
  CVemoraCP* controller = nullptr; // borrowed: the facade
  std::string historyFile = "History.txt";
  int maxBufferSize = MaxBufferSize;
  int bufferPointer = -1;
  void* activeModule = nullptr; // borrowed: the module library's handle, owned by the manager
  int vrLayerCount = 0;
  std::vector<std::string> commandBuffer;

  bool bufferChanged = false;
  int scriptDepth = 0;
  bool loopAborted = false;
  LineObserver lineObserver;
  bool stopOnError = true;
  bool errorRepliesFail = false;
};

#endif
