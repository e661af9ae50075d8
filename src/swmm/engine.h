#pragma once
// The EPA SWMM 5 engine: the five calls of one simulation run behind a small interface,
// implemented by the engine's shared library loaded at run time. A missing or wrong
// library is not fatal: the engine reports itself as not loaded with a Spanish message
// naming the file, and the rest of the program goes on.

#include <memory>
#include <string>

namespace nivex::ui {
class Ui;
}

namespace nivex::swmm {

// What every call of an engine that is not loaded returns; never an engine code.
constexpr int kEngineNotLoaded = -1;

// The calls return 0 on success, otherwise the engine's error code.
class SwmmEngine {
  public:
    virtual ~SwmmEngine() = default;

    // False when the library could not be loaded or lacks one of the five calls.
    virtual bool loaded() const = 0;
    // Why it is not loaded: "No se pudo cargar el motor SWMM " + the file and the reason
    // (code-page bytes); empty when loaded.
    virtual std::string loadError() const = 0;

    // Reads and checks the input file; the report and binary output files are written
    // by the run.
    virtual int open(const std::string& input, const std::string& report,
                     const std::string& output) = 0;
    virtual int start(int saveResults) = 0;
    // One routing step; elapsed receives the simulated time, 0 once the run has ended.
    virtual int step(double& elapsed) = 0;
    // Ends the run and writes the summary tables into the report.
    virtual int end() = 0;
    // Closes the engine and its files.
    virtual int close() = 0;
    // The engine's own text for its last error ("ERROR 200: ..."), blanks trimmed;
    // empty when there is none or the library cannot tell.
    virtual std::string errorText() = 0;
};

// The engine of a shared library: loaded and resolved once, when constructed; unloaded
// when destroyed.
class LibraryEngine : public SwmmEngine {
  public:
    explicit LibraryEngine(std::string path);
    ~LibraryEngine() override;
    LibraryEngine(const LibraryEngine&) = delete;
    LibraryEngine& operator=(const LibraryEngine&) = delete;

    const std::string& path() const { return path_; }
    // The engine's version number (52004 for 5.2.4); 0 when unknown.
    int version() const;

    bool loaded() const override { return loaded_; }
    std::string loadError() const override { return loadError_; }
    int open(const std::string& input, const std::string& report,
             const std::string& output) override;
    int start(int saveResults) override;
    int step(double& elapsed) override;
    int end() override;
    int close() override;
    std::string errorText() override;

  private:
    struct Calls;
    std::string path_;
    void* handle_ = nullptr;
    std::unique_ptr<Calls> calls_;
    bool loaded_ = false;
    std::string loadError_;
};

// The file name of the engine library beside the executable.
inline constexpr const char* kEngineFileName = "libswmm5.so";

// Where the engine library is: the NIVEX_SWMM_LIBRARY environment variable when set,
// otherwise the path recorded by the build when that file exists, otherwise the library
// beside the executable when that exists; when none exists, the first that was named.
std::string SwmmLibraryPath();
// The rule of SwmmLibraryPath on given names: named (the variable; nullptr or empty when
// unset), recorded (the build's path; may be empty), beside (the file beside the
// executable; may be empty).
std::string ChooseSwmmLibrary(const char* named, const std::string& recorded,
                              const std::string& beside);

// The program's engine: the library of SwmmLibraryPath(), loaded on first use.
SwmmEngine& ProgramEngine();
// Puts another engine in its place (a test's fake); nullptr gives the library back.
void SetProgramEngine(SwmmEngine* engine);

// True when the engine is loaded; otherwise shows its load error with showError,
// caption "Error", and returns false. Every SWMM choice asks this before it starts.
bool CheckSwmmEngine(ui::Ui& ui, SwmmEngine& engine);

}  // namespace nivex::swmm
