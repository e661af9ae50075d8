#pragma once
// What one design run keeps besides the records of the design copy: the answers of the
// options screen, the counters of the run, the working slots, the final reaches of the
// subsectors, the stack of fixed reaches being joined, and where the progress goes.

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "listings/text_file.h"
#include "network/tramo.h"

namespace nivex::design {

// The four answers of the design options screen.
struct DesignOptions {
    bool replaceExisting = false;     // "Desea eliminar tramos existentes ..."
    bool replaceRestricted = false;   // "Desea eliminar tramos restringidos..."
    bool ignoreRestrictions = true;   // "Desea ignorar las restricciones de los tramos"
    bool flushInitialOutlets = true;  // "Desea salida tramos iniciales a ras otras salidas"

    // Four letters 'S'/'N' in the order of the screen; false (options untouched) when
    // the text is not four such letters (lower case accepted).
    bool Parse(const std::string& letters);
    std::string Letters() const;
    // The answers a preliminary design uses whatever is stored: "SSNN".
    static DesignOptions Preliminary();
};

// The slots in which the driver keeps reaches decoded.
constexpr int kSlotLookAhead = 0;
constexpr int kSlotReceiver = 1;
constexpr int kSlotCurrent = 2;
constexpr int kSlotFirstTributary = 3;
constexpr int kSlots = 8;
constexpr int kMaxTributaries = 5;

struct WorkingSlot {
    network::TramoT reach;
    int record = 0;  // 0: empty
};

// One final reach of a subsector (no reach receives it).
struct FinalReach {
    int record = 0;
    std::string upstream, downstream;
    int diameter = 0;  // whole mm
    float depth = 0;   // downstream crown depth (m)
};
constexpr int kMaxFinalReaches = 99;

constexpr int kMaxRaiseStack = 11;

// The counters of a run.
struct DesignCounters {
    int addedRecords = 0;   // records in the design copy, appended ones included
    int replacements = -1;  // -1: no replacement allowed in this design
    int ignoredReliefChambers = 0;
    bool largerSizesNeeded = false;  // a flow asked for more than the largest size
    float largestBeyondList = 0;     // the largest such diameter (mm)
    bool missingDiameter = false;    // a size the list does not hold was used
    bool energyDoubtful = false;     // status "??" of the energy junctions
};

struct DesignState {
    DesignOptions options;
    DesignCounters counters;
    std::array<WorkingSlot, kSlots> slots{};
    std::vector<FinalReach> finalReaches;  // at most kMaxFinalReaches
    std::vector<int> raiseStack;           // record number + 1 of each fixed reach
    int pass = 0;                          // 2 design, 3 readjustment
    bool readjustingSweep = false;         // second sweep of a pass

    // Updates the entry with the same names or takes the next one (false when full).
    bool RememberFinalReach(const FinalReach& f);
};

// Where the progress of a design goes: the lines of the evolution file, the progress
// lines a screen draws, the messages, and the user's cancel.
class DesignSink {
  public:
    virtual ~DesignSink() = default;
    // A line of progress (code page); the screen draws it. It may set cancelled.
    virtual void Progress(const std::string& /*line*/) {}
    // A message box: title and text in the code page ("\r" breaks lines).
    virtual void Message(const std::string& /*title*/, const std::string& /*text*/) {}
    bool cancelled = false;
};

// A sink built from two callbacks, for screens and tests.
class CallbackSink : public DesignSink {
  public:
    std::function<void(const std::string&)> onProgress;
    std::function<void(const std::string&, const std::string&)> onMessage;
    void Progress(const std::string& line) override {
        if (onProgress) onProgress(line);
    }
    void Message(const std::string& title, const std::string& text) override {
        if (onMessage) onMessage(title, text);
    }
};

// "MensEv.": the evolution of the design, one line per reach or event, built piece by
// piece and written through a buffered file. Every finished line also goes to the sink.
class EvolutionLog {
  public:
    explicit EvolutionLog(DesignSink& sink) : sink_(sink) {}
    bool Create(const std::string& path) { return file_.Create(path); }
    bool Close();
    void Append(const std::string& piece) { line_ += piece; }
    // Ends the line under way (nothing when it is empty).
    void EndLine();
    // A whole line of its own.
    void Line(const std::string& text);
    const std::string& current() const { return line_; }
    bool failed() const { return file_.failed(); }
    const std::string& error() const { return file_.error(); }

  private:
    void Emit(const std::string& text);

    DesignSink& sink_;
    listings::TextFile file_;
    std::string line_;
};

}  // namespace nivex::design
