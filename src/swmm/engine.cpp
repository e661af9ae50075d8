#include "swmm/engine.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "build_paths.h"
#include "console/codepage.h"
#include "ui/ui.h"

namespace nivex::swmm {

struct LibraryEngine::Calls {
    using OpenFn = int (*)(const char*, const char*, const char*);
    using StartFn = int (*)(int);
    using StepFn = int (*)(double*);
    using PlainFn = int (*)();
    using ErrorFn = int (*)(char*, int);

    OpenFn open = nullptr;
    StartFn start = nullptr;
    StepFn step = nullptr;
    PlainFn end = nullptr;
    PlainFn close = nullptr;
    // Not every engine build has these two.
    ErrorFn getError = nullptr;
    PlainFn getVersion = nullptr;
};

namespace {

constexpr int kErrorTextSize = 512;

std::string loadFailure(const std::string& path, const std::string& reason) {
    return cp("No se pudo cargar el motor SWMM ") + cp(path) + "\r" + reason;
}

template <typename Fn>
Fn symbol(void* handle, const char* name) {
    return reinterpret_cast<Fn>(dlsym(handle, name));
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string executableFolder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

SwmmEngine* g_override = nullptr;

}  // namespace

LibraryEngine::LibraryEngine(std::string path)
    : path_(std::move(path)), calls_(std::make_unique<Calls>()) {
    if (path_.empty()) {
        loadError_ = loadFailure(path_, cp("No se indicó el archivo del motor"));
        return;
    }
    dlerror();
    handle_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* reason = dlerror();
        loadError_ = loadFailure(path_, reason ? cp(reason) : std::string());
        return;
    }
    Calls& c = *calls_;
    c.open = symbol<Calls::OpenFn>(handle_, "swmm_open");
    c.start = symbol<Calls::StartFn>(handle_, "swmm_start");
    c.step = symbol<Calls::StepFn>(handle_, "swmm_step");
    c.end = symbol<Calls::PlainFn>(handle_, "swmm_end");
    c.close = symbol<Calls::PlainFn>(handle_, "swmm_close");
    c.getError = symbol<Calls::ErrorFn>(handle_, "swmm_getError");
    c.getVersion = symbol<Calls::PlainFn>(handle_, "swmm_getVersion");
    const std::pair<const char*, bool> required[] = {{"swmm_open", c.open != nullptr},
                                                     {"swmm_start", c.start != nullptr},
                                                     {"swmm_step", c.step != nullptr},
                                                     {"swmm_end", c.end != nullptr},
                                                     {"swmm_close", c.close != nullptr}};
    for (const auto& [name, found] : required) {
        if (found) continue;
        loadError_ = loadFailure(path_, cp("El archivo no tiene la función ") + name);
        dlclose(handle_);
        handle_ = nullptr;
        *calls_ = Calls{};
        return;
    }
    loaded_ = true;
}

LibraryEngine::~LibraryEngine() {
    if (handle_) dlclose(handle_);
}

int LibraryEngine::version() const {
    return loaded_ && calls_->getVersion ? calls_->getVersion() : 0;
}

int LibraryEngine::open(const std::string& input, const std::string& report,
                        const std::string& output) {
    if (!loaded_) return kEngineNotLoaded;
    return calls_->open(input.c_str(), report.c_str(), output.c_str());
}

int LibraryEngine::start(int saveResults) {
    return loaded_ ? calls_->start(saveResults) : kEngineNotLoaded;
}

int LibraryEngine::step(double& elapsed) {
    return loaded_ ? calls_->step(&elapsed) : kEngineNotLoaded;
}

int LibraryEngine::end() {
    return loaded_ ? calls_->end() : kEngineNotLoaded;
}

int LibraryEngine::close() {
    return loaded_ ? calls_->close() : kEngineNotLoaded;
}

std::string LibraryEngine::errorText() {
    if (!loaded_ || !calls_->getError) return {};
    std::vector<char> text(kErrorTextSize, '\0');
    calls_->getError(text.data(), kErrorTextSize - 1);
    return trimmed(text.data());
}

std::string ChooseSwmmLibrary(const char* named, const std::string& recorded,
                              const std::string& beside) {
    if (named && *named) return named;
    std::vector<std::string> candidates;
    for (const std::string* name : {&recorded, &beside})
        if (!name->empty()) candidates.push_back(*name);
    for (const std::string& candidate : candidates)
        if (fileExists(candidate)) return candidate;
    return candidates.empty() ? std::string(kEngineFileName) : candidates.front();
}

std::string SwmmLibraryPath() {
    const std::string folder = executableFolder();
    return ChooseSwmmLibrary(std::getenv("NIVEX_SWMM_LIBRARY"), NIVEX_SWMM_LIBRARY_PATH,
                             folder.empty() ? std::string() : folder + "/" + kEngineFileName);
}

SwmmEngine& ProgramEngine() {
    if (g_override) return *g_override;
    // Loaded on the first SWMM choice, never at start-up.
    static LibraryEngine engine(SwmmLibraryPath());
    return engine;
}

void SetProgramEngine(SwmmEngine* engine) {
    g_override = engine;
}

bool CheckSwmmEngine(ui::Ui& ui, SwmmEngine& engine) {
    if (engine.loaded()) return true;
    ui.showError(engine.loadError(), "Error");
    return false;
}

}  // namespace nivex::swmm
