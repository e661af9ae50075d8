// The reordering screen of the reach entry (Alt+F1): the lines by their names, 20 a
// page; the list logic lives in reorder_list.

#include <algorithm>
#include <filesystem>

#include "console/codepage.h"
#include "console/keys.h"
#include "console/screen.h"
#include "network/reach_rules.h"
#include "network/reach_screen.h"
#include "network/reorder_list.h"
#include "shell/session.h"

namespace nivex::network {
namespace {

using console::CampoT;
using console::ColourMode;

constexpr int kPageRows = 20;
constexpr int kFirstRow = 4;
constexpr int kUpColumn = 20;
constexpr int kDownColumn = kUpColumn + 8;
constexpr int kLineColumn = kUpColumn + 18;
constexpr int kMarkColumn = kLineColumn + 8;
constexpr int kSearchRow = 24;
constexpr uint8_t kF4 = key::F1 + 3;
constexpr uint8_t kF5 = key::F1 + 4;
constexpr uint8_t kAltF3 = key::AltF2 + 1;
constexpr uint8_t kAltF5 = key::AltF2 + 3;
constexpr uint8_t kAltF6 = key::AltF2 + 4;
constexpr uint8_t kAltF7 = key::AltF2 + 5;
constexpr uint8_t kAltF8 = key::AltF2 + 6;

class ReorderScreen {
  public:
    ReorderScreen(shell::Session& s, ReachFile& file) : s_(s), screen_(s.screen), file_(file) {}
    bool Run(int currentLine);

  private:
    CampoT NameField(int row, int column) const {
        CampoT f;
        f.type = 'S';
        f.width = static_cast<int16_t>(kNameLength);
        f.upperCase = true;
        f.row = static_cast<int16_t>(row);
        // No prompt: the value starts one column after the prompt's column.
        f.column = static_cast<int16_t>(column - 1);
        return f;
    }
    void Load();
    void DrawFrame();
    void DrawPage();
    void Message(const std::string& text);
    // Esc: true when the screen ends; committed tells whether the network changed.
    bool Leave(bool& committed);

    shell::Session& s_;
    console::Screen& screen_;
    ReachFile& file_;
    ReorderModel list_;
    int current_ = 0;
    int column_ = 0;  // 0 upstream, 1 downstream
};

void ReorderScreen::Load() {
    std::vector<TramoBufT> saved;
    std::string error;
    if (!ReadSavedList(ReorderListPath(s_.project.files), saved, error))
        s_.ui.showError(cp(error), "Error");
    if (saved.empty() || !list_.FromSaved(saved, file_.count())) list_.FromIndex(file_.index());
}

void ReorderScreen::DrawFrame() {
    s_.console.setEffects(0);
    screen_.SetColours(ColourMode::Normal);
    s_.console.clrScr();
    screen_.ShowHeader("REORDENAMIENTO DE LOS TRAMOS");
    screen_.ShowLegend(
        "F4^salvar F5^buscar F9^borrar F11^recup.dato PgDn^avanzar PgUp^retroceder ESC^salir");
    s_.console.setLegend(1, console::Console::kRows,
                         " CtrY^elimin_linea AltF3^inicio_bloque AltF5^fin_bloque "
                         "AltF6^quita_marcas AltF7^elimin_bloque AltF8^mueve_bloque",
                         false, 2);
    s_.console.gotoXY(kUpColumn, kFirstRow - 1);
    screen_.SetColours(ColourMode::NormalEmphasis);
    s_.console.writeText("DE      A         Lineas");
    screen_.SetColours(ColourMode::Normal);
    s_.switches.endKeys = "Enter Esc Up Dn F4 F5 PgUp PgDn Home End1 CtrY AF3 AF5 AF6 AF7 AF8";
}

void ReorderScreen::DrawPage() {
    const int first = current_ / kPageRows * kPageRows;
    screen_.SetColours(ColourMode::Normal);
    for (int r = 0; r < kPageRows; ++r) {
        const int row = kFirstRow + r;
        s_.console.gotoXY(1, row);
        s_.console.clrEol();
        const int k = first + r;
        if (k >= list_.size()) continue;
        const ReorderModel::Row& line = list_.row(k);
        s_.console.gotoXY(kUpColumn - 7, row);
        s_.console.writeText(std::to_string(k + 1));
        std::string up = line.node.Upstream, down = line.node.Downstream;
        screen_.ShowField(NameField(row, kUpColumn), &up, 1);
        screen_.ShowField(NameField(row, kDownColumn), &down, 1);
        s_.console.gotoXY(kLineColumn, row);
        if (line.node.FormerLine > 0) s_.console.writeText(std::to_string(line.node.FormerLine));
        s_.console.gotoXY(kMarkColumn, row);
        if (line.blockStart) s_.console.writeText("<I>");
        if (line.blockEnd) s_.console.writeText("<F>");
    }
}

void ReorderScreen::Message(const std::string& text) {
    screen_.SetColours(ColourMode::AlternateEmphasis);
    s_.console.gotoXY(1, console::Screen::kErrorRow);
    s_.console.clrEol();
    screen_.WriteCentred(console::Screen::kErrorRow, cp(text));
    screen_.SetColours(ColourMode::Normal);
    s_.switches.errorShowing = true;
}

bool ReorderScreen::Leave(bool& committed) {
    committed = false;
    if (!list_.changed()) return true;
    const char answer = s_.ui.askYesNoCancel("Desea dejar en firme el reordenamiento", "Decision");
    if (answer == 'C') return false;
    std::error_code ec;
    if (answer != 'S') {
        std::filesystem::remove(ReorderListPath(s_.project.files), ec);
        return true;
    }
    std::string error;
    if (!CommitReorder(s_.project, file_, list_, error)) {
        s_.ui.showError(cp(error), "Error");
        return false;
    }
    committed = true;
    return true;
}

bool ReorderScreen::Run(int currentLine) {
    Load();
    current_ = std::clamp(currentLine - 1, 0, list_.size() - 1);
    DrawFrame();
    DrawPage();
    for (;;) {
        const int row = kFirstRow + current_ % kPageRows;
        TramoBufT& node = list_.node(current_);
        std::string& name = column_ == 0 ? node.Upstream : node.Downstream;
        const std::string former = name;
        screen_.EditField(NameField(row, column_ == 0 ? kUpColumn : kDownColumn), &name);
        const uint8_t k = s_.switches.lastKey;
        const size_t first = name.find_first_not_of(' ');
        name = first == std::string::npos
                   ? std::string()
                   : name.substr(first, name.find_last_not_of(' ') - first + 1);
        if (!name.empty()) {
            const auto valid = ManholeName(name);
            if (!valid) {
                name = former;
                screen_.FieldError(cp("ERROR...Nomenclatura incorrecta"));
                continue;
            }
            name = *valid;
        }
        if (name != former) list_.setChanged();

        const int last = list_.size() - 1;
        switch (k) {
            case key::Enter:
                if (column_ == 0) {
                    column_ = 1;
                } else {
                    current_ = list_.InsertAfter(current_);
                    column_ = 0;
                }
                break;
            case key::Up:
                current_ = std::max(current_ - 1, 0);
                break;
            case key::Down:
                current_ = std::min(current_ + 1, last);
                break;
            case key::PgUp:
                current_ = std::max(current_ - kPageRows, 0);
                break;
            case key::PgDn:
                current_ = std::min(current_ + kPageRows, last);
                break;
            case key::Home:
                column_ = 0;
                break;
            case key::End:
                column_ = 1;
                break;
            case key::CtrlY:
                current_ = list_.Delete(current_);
                break;
            case kAltF3:
                list_.MarkStart(current_);
                break;
            case kAltF5:
                list_.MarkEnd(current_);
                break;
            case kAltF6:
                list_.ClearMarks();
                break;
            case kAltF7:
                if (!list_.DeleteBlock(current_)) s_.console.beep();
                break;
            case kAltF8:
                if (!list_.MoveBlockAfter(current_)) s_.console.beep();
                break;
            case kF5: {
                std::string up, down;
                if (AskSearchNames(s_, kSearchRow, up, down)) {
                    const int found = list_.Find(up, down);
                    if (found >= 0)
                        current_ = found;
                    else
                        Message("... No se encontro ...");
                }
                break;
            }
            case kF4: {
                std::string error;
                if (WriteSavedList(ReorderListPath(s_.project.files), list_.Saved(), error))
                    Message("... Grabacion Hecha ...");
                else
                    s_.ui.showError(cp(error), "Error");
                break;
            }
            case key::Esc: {
                bool committed = false;
                if (Leave(committed)) {
                    s_.console.clearLegend(2);
                    return committed;
                }
                break;
            }
            default:
                break;
        }
        DrawPage();
    }
}

}  // namespace

bool RunReorderScreen(shell::Session& s, ReachFile& file, int currentLine) {
    ReorderScreen screen(s, file);
    return screen.Run(currentLine);
}

}  // namespace nivex::network
