#pragma once
// The logic of the general configuration dialog TGenForm1: what it shows when it opens,
// the effect of every click (some written to the control file at once), "Aceptar" with
// its change checks and the checks of closing. The desktop dialog and nivex-batch drive
// this class and only reflect its state.

#include <array>
#include <string>
#include <vector>

#include "shell/session.h"

namespace nivex::project {

// The six identity texts, in the order Enter and Down move through them.
enum class Text { Consultant, Email, Country, Entity, Project, Date };
constexpr int kTexts = 6;

enum class Group {
    Class,         // RadioGroup1: design class = item + 1
    Manning,       // RadioGroup2
    Topology,      // RadioGroup3: mode = item + 1
    Peak,          // RadioGroup5: maximum hourly coefficient method
    Minimum,       // RadioGroup6: minimum coefficient method
    Swmm,          // RadioGroup8: SWMM routing
    Relations,     // RadioGroup9: hydraulic relations
    Infiltration,  // RadioGroup10
    Method,        // RadioGroup11: design method, record 0 offset 464
};
constexpr int kGroups = 9;

enum class Box {
    FullVelocity,      // CheckBox1
    Ras2016,           // CheckBox8
    RealVelocity,      // CheckBox2
    Tractive,          // CheckBox3
    SlopePerDiameter,  // CheckBox9
    Energy,            // CheckBox4
    Critical,          // CheckBox5
};
constexpr int kBoxes = 7;
// The self-cleansing criteria: at least one must be checked to close.
constexpr std::array<Box, 5> kSelfCleansingBoxes{Box::FullVelocity, Box::Ras2016, Box::RealVelocity,
                                                 Box::Tractive, Box::SlopePerDiameter};

struct GroupState {
    int item = 0;  // -1: no item selected
    bool enabled = true;
};
struct BoxState {
    bool checked = false;
    bool enabled = true;
};

// What the dialog shows.
struct ConfigurationState {
    std::array<std::string, kTexts> texts;  // code-page bytes
    bool textsEnabled = true;
    std::array<GroupState, kGroups> groups;
    std::array<BoxState, kBoxes> boxes;
    std::string swmmFolder;  // native path
};

// The fixed captions of the dialog, in the code page.
std::string ConfigurationCaption();
std::string CaptionOf(Text t);
size_t LengthOf(Text t);
bool UpperCaseOf(Text t);
std::string CaptionOf(Group g);
std::vector<std::string> ItemsOf(Group g);
std::string CaptionOf(Box b);
std::string SelfCleansingCaption();  // GroupBox1
std::string CriticalFlowCaption();   // the frame of CheckBox5
std::string SwmmFolderCaption();     // beside Edit7

class Configuration {
  public:
    // Opens the sector's control file and loads header and set (shown as an error when
    // that fails: ready() is then false and nothing else happens).
    explicit Configuration(shell::Session& session);
    ~Configuration();
    Configuration(const Configuration&) = delete;
    Configuration& operator=(const Configuration&) = delete;

    // The control file was read and no file error has stopped the dialog since.
    bool ready() const { return ready_; }
    // The dialog has ended: closed, or stopped by a file error.
    bool finished() const { return finished_ || !ready_; }
    const ConfigurationState& state() const { return state_; }
    const GroupState& group(Group g) const { return state_.groups[static_cast<size_t>(g)]; }
    const BoxState& box(Box b) const { return state_.boxes[static_cast<size_t>(b)]; }
    const std::string& text(Text t) const { return state_.texts[static_cast<size_t>(t)]; }

    // A click on an item or a box. False, with nothing changed, when the control is
    // disabled, the item does not exist or the dialog has ended.
    bool SelectItem(Group g, int item);
    bool SetBox(Box b, bool checked);
    // The text of a field as typed: upper case where the field wants it, cut to its
    // length. False when the fields are disabled.
    bool SetText(Text t, const std::string& bytes);

    // "Explorar": the folder the file dialog starts in, then the file chosen ("" when
    // cancelled); its folder becomes the SWMM folder of the run and of the settings.
    std::string SwmmStartFolder() const;
    void ChooseSwmmFile(const std::string& chosenFile);

    // "Aceptar": stores the texts and options, then the closing checks. True when the
    // dialog closes.
    bool Accept();
    // The closing checks (also the window's close button and Esc). True when the dialog
    // closes; false when a self-cleansing criterion is missing (the error was shown).
    bool Close();

  private:
    GroupState& groupRef(Group g) { return state_.groups[static_cast<size_t>(g)]; }
    BoxState& boxRef(Box b) { return state_.boxes[static_cast<size_t>(b)]; }
    int classOfItem() const;
    void Open();
    void ApplyBox(Box b, bool checked);
    void ApplyItem(Group g, int item);
    void ChangeClass(int item);
    void DisableForSwmmClass();
    bool AcceptSteps();
    void Finish();
    void ClearControls();
    void RefreshMenu();
    void ShowCaption();
    // Records written at once; a failure is shown and ends the dialog.
    bool Write(std::initializer_list<int> records);
    bool Stop(const std::string& error);

    shell::Session& session_;
    Project& project_;
    ConfigurationState state_;
    ConfigurationState opening_;  // for the change checks
    bool ready_ = false;
    bool finished_ = false;
    bool dataChanged_ = false;
    bool classOrManningChanged_ = false;
};

}  // namespace nivex::project
