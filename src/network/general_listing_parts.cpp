#include "network/general_listing_parts.h"

#include <algorithm>

#include "console/codepage.h"
#include "console/keys.h"
#include "listings/number_format.h"
#include "listings/sheet_range.h"
#include "network/reach_csv.h"

namespace nivex::network::general {
namespace {

constexpr int kWaitRow = 12;

constexpr char kBar = static_cast<char>(179);          // │
constexpr char kLine = static_cast<char>(196);         // ─
constexpr char kTopLeft = static_cast<char>(218);      // ┌
constexpr char kTopTee = static_cast<char>(194);       // ┬
constexpr char kTopRight = static_cast<char>(191);     // ┐
constexpr char kLeftTee = static_cast<char>(195);      // ├
constexpr char kCross = static_cast<char>(197);        // ┼
constexpr char kRightTee = static_cast<char>(180);     // ┤
constexpr char kBottomLeft = static_cast<char>(192);   // └
constexpr char kBottomTee = static_cast<char>(193);    // ┴
constexpr char kBottomRight = static_cast<char>(217);  // ┘

std::string Rule(const std::vector<BoxColumn>& columns, char left, char tee, char right,
                 bool keepSpans) {
    std::string s(1, left);
    for (size_t k = 0; k < columns.size(); ++k) {
        s += std::string(static_cast<size_t>(columns[k].width), kLine);
        if (k + 1 == columns.size())
            s += right;
        else
            s += keepSpans && columns[k].spansNext ? kLine : tee;
    }
    return s;
}

void StartScreen(shell::Session& s, const char* title) {
    s.switches.atMainMenu = false;
    s.console.clrScr();
    s.screen.ShowHeader(cp(title));
    s.screen.ShowLegend(kLegend);
    s.switches.endKeys = "Enter Esc";
}

}  // namespace

bool LoadSector(shell::Session& s) {
    ReachContext context;
    std::string error;
    if (LoadReachContext(s.project, context, &error)) return true;
    ShowFileError(s, error);
    return false;
}

void ShowFileError(shell::Session& s, const std::string& utf8Message) {
    s.ui.showError(cp(utf8Message), "Error");
}

void ShowWait(shell::Session& s) {
    s.screen.WriteCentred(kWaitRow, cp("... espere ..."));
}

bool ConfirmWithRange(shell::Session& s, const char* title) {
    StartScreen(s, title);
    const bool go = listings::AskSheetRange(s, cp(title)) == key::Enter;
    s.switches.endKeys = "Enter";
    return go;
}

bool ConfirmWithQuestion(shell::Session& s, const char* title, const char* question) {
    StartScreen(s, title);
    const bool go = s.ui.askYesNo(cp(question), "Confirmacion") == 'S';
    s.switches.endKeys = "Enter";
    if (!go) return false;
    s.listing.FirstSheet = 1;
    s.listing.LastSheet = 0;
    return true;
}

std::string BoxTop(const std::vector<BoxColumn>& columns) {
    return Rule(columns, kTopLeft, kTopTee, kTopRight, true);
}

std::string BoxSeparator(const std::vector<BoxColumn>& columns) {
    return Rule(columns, kLeftTee, kCross, kRightTee, false);
}

std::string BoxBottom(const std::vector<BoxColumn>& columns) {
    return Rule(columns, kBottomLeft, kBottomTee, kBottomRight, false);
}

std::string BoxCaption(const std::vector<BoxColumn>& columns, int row) {
    std::string s(1, kBar);
    for (size_t k = 0; k < columns.size(); ++k) {
        const BoxColumn& c = columns[k];
        const char* text = c.caption[row] ? c.caption[row] : "";
        if (row == 0 && c.spansNext && k + 1 < columns.size()) {
            s += Centre(cp(text), c.width + 1 + columns[k + 1].width) + kBar;
            ++k;
            continue;
        }
        s += Centre(cp(text), c.width) + kBar;
    }
    return s;
}

std::string BoxRow(const std::vector<std::string>& cells) {
    std::string s(1, kBar);
    for (const std::string& c : cells)
        s += c + kBar;
    return s;
}

std::string Centre(std::string_view text, int width) {
    const int n = static_cast<int>(text.size());
    if (n >= width) return std::string(text.substr(0, static_cast<size_t>(width)));
    const int left = (width - n) / 2;
    return std::string(static_cast<size_t>(left), ' ') + std::string(text) +
           std::string(static_cast<size_t>(width - n - left), ' ');
}

std::string Dashes(int width) {
    if (width < 4) return std::string(static_cast<size_t>(std::max(width, 0)), '-');
    return "  " + std::string(static_cast<size_t>(width - 3), '-') + " ";
}

std::string NumberCell(bool dashed, double value, std::string_view picture, int before, int after) {
    if (dashed) return Dashes(before + static_cast<int>(picture.size()) + after);
    return std::string(static_cast<size_t>(before), ' ') + listings::FormatNumber(value, picture) +
           std::string(static_cast<size_t>(after), ' ');
}

std::string NameCell(const std::string& name) {
    std::string s = name.substr(0, 5);
    s.resize(5, ' ');
    return s;
}

bool HyetographClass(const shell::Session& s) {
    const int designClass = s.project.header.DesignClass;
    return designClass == 8 || designClass == 9;
}

int RainCount(const shell::Session& s) {
    if (HyetographClass(s)) return s.project.espec.SeriesCount;
    return static_cast<int>(s.project.espec.EquationCount);
}

}  // namespace nivex::network::general
