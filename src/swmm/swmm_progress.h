#pragma once
// The "Status" window of a SWMM run: the label "Calculando  con SWMM   -->", a bar that
// cycles while the engine works (it does not measure progress), the flooded and
// surcharged counts of the previous pass, the elapsed time and "Cancelar". The state is
// kept here; the window itself is the status window of ui::Progress, opened once and then
// only told what changed, so that its clock runs from the first opening through all the
// passes. A batch run's ui::Progress prints the caption and the counts on standard error.

#include <functional>
#include <string>

#include "ui/progress.h"

namespace nivex::swmm {

// The pass the run belongs to, from the caller.
struct SwmmPassInfo {
    bool stormFromSwmm = false;  // a design whose storm flows come from SWMM
    int pass = 0;                // its design pass number; 0 outside such a pass
    int flooded = 0;             // counts of the previous silent reading (second copies)
    int surcharged = 0;
};

// "Tiempo Transcurrido: " + minutes and seconds, "nn:ss".
std::string ElapsedLabel(long seconds);

class SwmmProgress {
  public:
    static constexpr int kStepsPerMark = 100;
    static constexpr const char* kCaption = "Status";
    static constexpr const char* kLabel = "Calculando  con SWMM   -->";

    // Seconds from any fixed origin.
    using Clock = std::function<double()>;

    // window: where it is shown; nullptr keeps the state without showing anything.
    explicit SwmmProgress(ui::Progress* window, Clock clock = {});
    ~SwmmProgress();
    SwmmProgress(const SwmmProgress&) = delete;
    SwmmProgress& operator=(const SwmmProgress&) = delete;

    void setPass(const SwmmPassInfo& pass) { pass_ = pass; }
    const SwmmPassInfo& pass() const { return pass_; }

    // Opens the window when none is open (an open one stays, with its clock), sets the bar
    // to 0 of maximum and clears the cancel flag.
    void Show(int maximum);
    // Sets the step counter to 0 (a run begins).
    void ResetSteps() { steps_ = 0; }
    // After every engine step: counts the step, moves the bar through 1 to the maximum,
    // refreshes the caption, the count labels and the elapsed time.
    void Update();
    // Lets pending window messages run.
    void Tick();
    // Closes the window; the next Show opens a new one.
    void Close();

    bool isOpen() const { return open_; }
    // "Cancelar" was pressed since the last Show.
    bool cancelled() const;

    // What the window shows.
    const std::string& caption() const { return caption_; }  // "Status" or "Pasada #n"
    int bar() const { return bar_; }
    int maximum() const { return maximum_; }
    int steps() const { return steps_; }
    const std::string& floodedLabel() const { return flooded_; }
    const std::string& surchargedLabel() const { return surcharged_; }
    std::string elapsedLabel() const;
    // The label (after the pass caption during a design pass), and the two count labels,
    // as one line each.
    std::string firstLine() const;
    std::string secondLine() const;

  private:
    void refreshTexts();
    // Tells the open window what changed since it was last told.
    void pushChanges();

    ui::Progress* window_;
    Clock clock_;
    SwmmPassInfo pass_;
    bool open_ = false;
    double openedAt_ = 0;
    int bar_ = 0;
    int maximum_ = 0;
    int steps_ = 0;
    std::string caption_ = kCaption;
    std::string flooded_, surcharged_;
    // What the window was last told.
    std::string shownCaption_, shownFlooded_, shownSurcharged_;
    int shownBar_ = 0, shownMaximum_ = 0;
};

}  // namespace nivex::swmm
