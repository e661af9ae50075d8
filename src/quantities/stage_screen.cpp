// The stage entry screen: two fields, the line and its stage; every rule of a stage is
// in stages.cpp.

#include "quantities/stage_screen.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "console/codepage.h"
#include "console/keys.h"
#include "console/screen.h"
#include "quantities/stages.h"
#include "shell/session.h"

namespace nivex::quantities {
namespace {

using console::CampoT;
using console::ColourMode;

constexpr const char* kTitle = "ENTRADA ETAPAS DE CONSTRUCCION";
constexpr const char* kLegend =
    "F4^salvar F9^borrar F11^recup.dato PgDn^avanzar PgUp^retroceder ESC^salir";
constexpr const char* kEndKeys = " Enter Esc Up Dn F4 PgUp PgDn AF2";
constexpr const char* kNoDesign = "... Falta hacer o repetir el diseño del proyecto ...";
constexpr const char* kOneSectorOnly =
    "... Las etapas de construccion solo se definen en proyectos de un sector ...";
constexpr uint8_t kF4 = key::F1 + 3;
constexpr int kLineRow = 3;
constexpr int kReachRow = 5;
constexpr int kStageRow = 7;
constexpr int kLineField = 1;
constexpr int kStageField = 2;

CampoT Field(const char* prompt, int row, int width) {
    CampoT f;
    f.prompt = cp(prompt);
    f.type = 'I';
    f.column = 1;
    f.row = static_cast<int16_t>(row);
    f.width = static_cast<int16_t>(width);
    return f;
}

const char* ClassWord(int reachClass) {
    switch (reachClass) {
        case network::kClassNew:
            return "NUEVO -> ";
        case network::kClassExisting:
            return "EXISTENTE -> ";
        case network::kClassRestricted:
            return "RESTRINGIDO -> ";
        case network::kClassNotInvestigated:
            return "NO INVESTIGADO -> ";
        default:
            return "OTRO -> ";
    }
}

// A stored stage as the field holds it; values the field cannot show read as 0.
int16_t FieldStage(float stage) {
    if (!std::isfinite(stage) || std::fabs(stage) > 9) return 0;
    return static_cast<int16_t>(std::lround(stage));
}

class StageScreen {
  public:
    explicit StageScreen(shell::Session& s)
        : s_(s),
          screen_(s.screen),
          lineField_(Field("==================================> LINEA # :", kLineRow, 5)),
          stageField_(Field("Etapa de Construccion [1,2,3] <0=Sin Etapa> :", kStageRow, 1)) {}
    void Run();

  private:
    bool Load(int line);
    // Writes the reach back when its stage changed; false after the error box.
    bool Store();
    // Store, then line; false (staying on the current line) after an error.
    bool MoveTo(int line);
    void DrawFrame();
    void Show();
    void Leave(uint8_t key);
    void FileError(const std::string& utf8);

    shell::Session& s_;
    console::Screen& screen_;
    const CampoT lineField_, stageField_;
    StageCopy copy_;
    network::TramoT reach_;
    int line_ = 1;
    int16_t typedLine_ = 1;
    int16_t stage_ = 0;
    bool failed_ = false;
};

void StageScreen::FileError(const std::string& utf8) {
    s_.ui.showError(cp(utf8), "Error");
    failed_ = true;
}

bool StageScreen::Load(int line) {
    network::TramoT t;
    if (!copy_.Read(line, t)) {
        FileError(copy_.error());
        return false;
    }
    reach_ = std::move(t);
    line_ = line;
    typedLine_ = static_cast<int16_t>(line);
    stage_ = FieldStage(reach_.Diseno.ConstructionStage);
    return true;
}

bool StageScreen::Store() {
    if (copy_.Write(line_, reach_)) return true;
    FileError(copy_.error());
    return false;
}

bool StageScreen::MoveTo(int line) {
    line = std::clamp(line, 1, copy_.count());
    if (line == line_) {
        typedLine_ = static_cast<int16_t>(line_);
        return true;
    }
    if (!Store() || !Load(line)) return false;
    Show();
    return true;
}

void StageScreen::DrawFrame() {
    s_.console.setEffects(0);
    screen_.SetColours(ColourMode::Normal);
    s_.console.clrScr();
    screen_.ShowHeader(cp(kTitle));
    screen_.ShowLegend(kLegend);
    s_.switches.endKeys = kEndKeys;
    screen_.ClearZones();
    screen_.AddFieldZone(lineField_, kLineField);
    screen_.AddFieldZone(stageField_, kStageField);
}

void StageScreen::Show() {
    screen_.SetColours(ColourMode::Normal);
    screen_.ShowField(lineField_, &typedLine_, 2);
    s_.console.gotoXY(1, kReachRow);
    s_.console.clrEol();
    s_.console.writeText(cp(ClassWord(reach_.Class)) + "TRAMO " + reach_.Upstream + " - " +
                         reach_.Downstream);
    screen_.ShowField(stageField_, &stage_, 2);
}

void StageScreen::Leave(uint8_t key) {
    if (!failed_) Store();
    const bool changed = copy_.changed();
    if (!copy_.Close()) FileError(copy_.error());
    screen_.ZonesOff();
    s_.console.hideCaret();
    if (changed) {
        std::string error;
        if (!MarkStagesChanged(s_.project, &error)) FileError(error);
    }
    if (key == kF4 && !failed_) CountStages(s_);
}

void StageScreen::Run() {
    if (!copy_.Open(s_.project)) return FileError(copy_.error());
    const std::string endKeys = s_.switches.endKeys;
    const bool blankZero = s_.switches.blankZero;
    s_.switches.blankZero = false;  // stage 0 is a value, shown as such
    DrawFrame();
    if (Load(1)) Show();
    int field = kLineField;
    uint8_t k = key::Esc;
    try {
        while (!failed_) {
            if (field == kLineField) {
                screen_.EditField(lineField_, &typedLine_);
                k = s_.switches.lastKey;
                if (k == key::Esc || k == kF4) break;
                if (k == key::AltM) {
                    field = std::clamp(screen_.SelectClickedField(), kLineField, kStageField);
                    continue;
                }
                if (k == key::PgDn) {
                    MoveTo(line_ + 1);
                } else if (k == key::PgUp) {
                    MoveTo(line_ - 1);
                } else {
                    // A typed number outside the lines is taken to the nearest line.
                    MoveTo(typedLine_);
                    if (k == key::Enter || k == key::Down) field = kStageField;
                }
                screen_.ShowField(lineField_, &typedLine_, 2);
                continue;
            }

            screen_.EditField(stageField_, &stage_);
            k = s_.switches.lastKey;
            const std::string problem = StageProblem(reach_.Class, stage_);
            if (!problem.empty()) {
                if (k == key::Esc) {
                    stage_ = FieldStage(reach_.Diseno.ConstructionStage);  // not kept
                    break;
                }
                screen_.FieldError(cp(problem));
                continue;
            }
            reach_.Diseno.ConstructionStage = stage_;
            if (k == key::Esc || k == kF4) break;
            switch (k) {
                case key::Up:
                    field = kLineField;
                    break;
                case key::PgDn:
                    MoveTo(line_ + 1);
                    break;
                case key::PgUp:
                    MoveTo(line_ - 1);
                    break;
                case key::AltM:
                    field = std::clamp(screen_.SelectClickedField(), kLineField, kStageField);
                    break;
                default:
                    break;  // Enter and Down stay on the stage
            }
        }
    } catch (const console::ProgramExit&) {
        // Leaving the program from the screen keeps the stages already taken.
        Leave(key::Esc);
        throw;
    }
    Leave(k);
    s_.switches.endKeys = endKeys;
    s_.switches.blankZero = blankZero;
}

}  // namespace

void StageEntry(shell::Session& s) {
    StageScreen screen(s);
    screen.Run();
}

void RunStageEntry(shell::Session& s) {
    project::Project& p = s.project;
    if (p.selection.sectors != "1") {
        s.screen.ShowMessageBox(cp(kOneSectorOnly));
        return;
    }
    std::string error;
    if (!LoadStageState(p, &error)) {
        s.ui.showError(cp(error), "Error");
        return;
    }
    std::error_code ec;
    if (p.header.StageDone[1] == 0 || p.header.ReachCount <= 0 ||
        !std::filesystem::is_regular_file(p.files.designCopy(), ec)) {
        s.screen.ShowMessageBox(cp(kNoDesign));
        return;
    }
    StageEntry(s);
}

}  // namespace nivex::quantities
