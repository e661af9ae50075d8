// "ENTRADA DE PRECIOS UNITARIOS" (main choice 'X', 'A'): a price for every item of the
// budget chapters 1..8, a page at a time, the items the quantities need in the dark tone.

#include "budget/price_screens.h"

#include <algorithm>

#include "console/codepage.h"
#include "console/keys.h"
#include "console/screen.h"
#include "quantities/quantity_file.h"
#include "quantities/quantity_rules.h"
#include "quantities/quantity_run.h"
#include "shell/session.h"

namespace nivex::budget {
namespace {

using console::CampoT;
using console::ColourMode;

constexpr const char* kTitle = "ENTRADA DE PRECIOS UNITARIOS";
constexpr const char* kLegend =
    "F2^buscar F9^borrar F11^recup.dato PgDn^Avanzar PgUp^retroceder ESC^salir";
constexpr const char* kEndKeys = "Enter Esc Up Dn PgUp PgDn F2";
constexpr const char* kWait = "... Espere ...";
constexpr const char* kDarkNote =
    "Los ITEMS en tono oscuro son indispensables - Use F2 para buscarlos";
constexpr const char* kF2Note = "F2 tambien sirve para encontrar el inicio del capitulo siguiente";
constexpr const char* kChapterPrompt = "........................................ Capitulo :";
constexpr const char* kPricePrompt = "................................................. $";
constexpr uint8_t kF2 = key::F1 + 1;
constexpr int kPageItems = 15;
constexpr int kChapterRow = 3;
constexpr int kHeadingRow = 5;
constexpr int kGroupRow = 6;
constexpr int kFirstItemRow = 7;
constexpr int kDarkNoteRow = 22;
constexpr int kF2NoteRow = 23;
constexpr int kWaitRow = 12;
constexpr int kCentsDecimals = 2;
// The item text may cover the dots of its price prompt, never its " $".
constexpr size_t kItemTextRoom = 49;
constexpr console::Rgb kLightTone = 0x707070;

CampoT PriceField(int row, int decimals) {
    CampoT f;
    f.prompt = kPricePrompt;
    f.type = 'R';
    f.column = 1;
    f.row = static_cast<int16_t>(row);
    f.width = kUnitPriceWidth;
    f.decimals = static_cast<int16_t>(decimals);
    f.minimum = "0";
    return f;
}

CampoT ChapterField() {
    CampoT f;
    f.prompt = kChapterPrompt;
    f.type = 'I';
    f.column = 1;
    f.row = kChapterRow;
    f.width = 1;
    f.minimum = "1";
    f.maximum = std::to_string(kBudgetChapters);
    return f;
}

// One line of the screen: an item and the page that shows it.
struct Entry {
    int chapter = 0;  // index into the chapters, 0..7
    int group = 0;
    int item = 0;
    int page = 0;
    int line = 0;  // 0..14 on its page
};

struct Page {
    int chapter = 0;
    int group = 0;
    int first = 0;  // entry index of its first line
    int count = 0;
};

class UnitPriceScreen {
  public:
    explicit UnitPriceScreen(shell::Session& s)
        : s_(s), screen_(s.screen), chapterField_(ChapterField()) {}
    void Run();

  private:
    bool Load();
    void Lay();
    void DrawFrame();
    void ShowPage(int page);
    void ShowEntry(int entry);
    void ShowChapter();
    const BudgetItem& ItemOf(const Entry& e) const;
    double* SlotOf(int entry);
    bool Needed(int entry) const;
    int FirstOfChapter(int chapter) const;
    int NextNeeded(int from, int chapter) const;
    int ChapterOfPlace() const;
    void GoTo(int entry);
    bool EditChapter();
    bool EditPrice();

    shell::Session& s_;
    console::Screen& screen_;
    const CampoT chapterField_;
    PriceBook book_;
    quantities::QuantityTables quantities_;
    std::vector<Entry> entries_;
    std::vector<Page> pages_;
    int place_ = -1;  // the entry edited; -1 the chapter field
    int chapter_ = 0;
    int shownPage_ = -1;
    double scratch_ = 0;  // the price of an item without a slot: shown, never kept
    bool changed_ = false;
};

bool UnitPriceScreen::Load() {
    std::string error;
    if (!LoadPriceBook(s_.project, book_, &error)) {
        s_.ui.showError(error, "Error");
        return false;
    }
    // The new system's quantities always: the total system's file holds only the
    // removals, and the new system's file holds them as well.
    const std::string path = quantities::QuantityFilePath(s_.project.files, quantities::kSystemNew);
    const int sizes = quantities::LimitsOf(s_.project.espec).sizeCount();
    const quantities::QuantityFileResult read =
        quantities::ReadQuantityFile(path, sizes, quantities_);
    if (read.status == quantities::FileRead::Damaged) {
        s_.ui.showError(read.error, "Error");
        return false;
    }
    return true;
}

void UnitPriceScreen::Lay() {
    for (int c = 0; c < static_cast<int>(book_.chapters.size()); ++c) {
        const auto& groups = book_.chapters[static_cast<size_t>(c)].groups;
        for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
            const int count = static_cast<int>(groups[static_cast<size_t>(g)].items.size());
            for (int first = 0; first < count; first += kPageItems) {
                Page page{c, g, static_cast<int>(entries_.size()),
                          std::min(kPageItems, count - first)};
                for (int k = 0; k < page.count; ++k)
                    entries_.push_back({c, g, first + k, static_cast<int>(pages_.size()), k});
                pages_.push_back(page);
            }
        }
    }
}

const BudgetItem& UnitPriceScreen::ItemOf(const Entry& e) const {
    const auto& chapter = book_.chapters[static_cast<size_t>(e.chapter)];
    return chapter.groups[static_cast<size_t>(e.group)].items[static_cast<size_t>(e.item)];
}

double* UnitPriceScreen::SlotOf(int entry) {
    double* slot = PriceSlot(book_.prices, ItemOf(entries_[static_cast<size_t>(entry)]));
    if (slot) return slot;
    scratch_ = 0;
    return &scratch_;
}

bool UnitPriceScreen::Needed(int entry) const {
    return ItemQuantity(quantities_, ItemOf(entries_[static_cast<size_t>(entry)])) > 0;
}

int UnitPriceScreen::FirstOfChapter(int chapter) const {
    for (int k = 0; k < static_cast<int>(entries_.size()); ++k)
        if (entries_[static_cast<size_t>(k)].chapter == chapter) return k;
    return -1;
}

// The first needed entry after `from` in the chapter; -1 when none is left.
int UnitPriceScreen::NextNeeded(int from, int chapter) const {
    for (int k = from + 1; k < static_cast<int>(entries_.size()); ++k) {
        if (entries_[static_cast<size_t>(k)].chapter != chapter) break;
        if (Needed(k)) return k;
    }
    return -1;
}

void UnitPriceScreen::DrawFrame() {
    s_.console.setEffects(0);
    screen_.SetColours(ColourMode::Normal);
    s_.console.clrScr();
    screen_.ShowHeader(cp(kTitle));
    screen_.ShowLegend(kLegend);
    s_.switches.endKeys = kEndKeys;
    screen_.ClearZones();
}

void UnitPriceScreen::ShowChapter() {
    int16_t number = static_cast<int16_t>(chapter_ + 1);
    screen_.ShowField(chapterField_, &number, 2);
}

void UnitPriceScreen::ShowEntry(int entry) {
    const Entry& e = entries_[static_cast<size_t>(entry)];
    const int row = kFirstItemRow + e.line;
    screen_.ShowField(PriceField(row, kCentsDecimals), SlotOf(entry), 2);
    std::string line = "    " + ItemOf(e).text;
    if (line.size() > kItemTextRoom) line.resize(kItemTextRoom);
    if (Needed(entry)) {
        screen_.SetColours(ColourMode::NormalEmphasis);
    } else {
        screen_.SetColours(ColourMode::Normal);
        s_.console.setForeground(kLightTone);
    }
    s_.console.gotoXY(1, row);
    s_.console.writeText(line);
    screen_.SetColours(ColourMode::Normal);
}

void UnitPriceScreen::ShowPage(int page) {
    const Page& pg = pages_[static_cast<size_t>(page)];
    const BudgetChapter& chapter = book_.chapters[static_cast<size_t>(pg.chapter)];
    screen_.SetColours(ColourMode::Normal);
    for (int row = kHeadingRow; row < kDarkNoteRow; ++row) {
        s_.console.gotoXY(1, row);
        s_.console.clrEol();
    }
    s_.console.gotoXY(1, kHeadingRow);
    screen_.SetColours(ColourMode::NormalEmphasis);
    s_.console.writeText("CAPITULO #" + std::to_string(chapter.number) + " - " + chapter.title);
    screen_.SetColours(ColourMode::Normal);
    const std::string& heading = chapter.groups[static_cast<size_t>(pg.group)].heading;
    if (!heading.empty()) {
        s_.console.gotoXY(1, kGroupRow);
        s_.console.writeText(heading);
    }
    for (int k = 0; k < pg.count; ++k)
        ShowEntry(pg.first + k);
    shownPage_ = page;
}

void UnitPriceScreen::GoTo(int entry) {
    if (entry < 0) return;
    place_ = entry;
    const Entry& e = entries_[static_cast<size_t>(entry)];
    chapter_ = e.chapter;
    if (e.page != shownPage_) ShowPage(e.page);
    ShowChapter();
}

// The chapter field: false when the screen ends.
bool UnitPriceScreen::EditChapter() {
    int16_t number = static_cast<int16_t>(chapter_ + 1);
    screen_.EditField(chapterField_, &number);
    const uint8_t k = s_.switches.lastKey;
    if (k == key::Esc) return false;
    const int typed = std::clamp<int>(number, 1, kBudgetChapters) - 1;
    const int last = kBudgetChapters - 1;
    if (k == key::PgDn) {
        GoTo(FirstOfChapter(std::min(chapter_ + 1, last)));
    } else if (k == key::PgUp) {
        GoTo(FirstOfChapter(std::max(chapter_ - 1, 0)));
    } else if (k == kF2) {
        const int first = FirstOfChapter(typed);
        const int next = Needed(first) ? first : NextNeeded(first, typed);
        GoTo(next >= 0 ? next : FirstOfChapter(std::min(typed + 1, last)));
    } else if (k == key::Enter || k == key::Down) {
        GoTo(FirstOfChapter(typed));
    } else if (typed != chapter_) {
        chapter_ = typed;
        ShowPage(entries_[static_cast<size_t>(FirstOfChapter(typed))].page);
        ShowChapter();
    }
    return true;
}

// The price of the entry in place_: false when the screen ends.
bool UnitPriceScreen::EditPrice() {
    const Entry& e = entries_[static_cast<size_t>(place_)];
    const int row = kFirstItemRow + e.line;
    double* slot = SlotOf(place_);
    double typed = *slot;
    screen_.EditField(PriceField(row, kCentsDecimals), &typed);
    const uint8_t k = s_.switches.lastKey;
    typed = RoundToCents(typed);
    if (typed != *slot) {
        *slot = typed;
        changed_ = true;
    }
    ShowEntry(place_);
    const int last = kBudgetChapters - 1;
    const int count = static_cast<int>(entries_.size());
    switch (k) {
        case key::Esc:
            return false;
        case key::Enter:
        case key::Down:
            GoTo(std::min(place_ + 1, count - 1));
            break;
        case key::Up:
            if (place_ == FirstOfChapter(chapter_)) {
                place_ = -1;  // the chapter field is the line above a chapter's first item
            } else {
                GoTo(place_ - 1);
            }
            break;
        case key::PgDn:
            GoTo(FirstOfChapter(std::min(chapter_ + 1, last)));
            break;
        case key::PgUp:
            GoTo(FirstOfChapter(std::max(chapter_ - 1, 0)));
            break;
        default:
            if (k != kF2) break;
            if (const int next = NextNeeded(place_, chapter_); next >= 0) {
                GoTo(next);
            } else if (chapter_ < last) {
                GoTo(FirstOfChapter(chapter_ + 1));
            }
            break;
    }
    return true;
}

void UnitPriceScreen::Run() {
    const std::string endKeys = s_.switches.endKeys;
    const bool blankZero = s_.switches.blankZero;
    DrawFrame();
    screen_.WriteCentred(kWaitRow, kWait);
    if (!Load()) {
        s_.switches.endKeys = endKeys;
        return;  // a file that could not be read is never written over
    }
    Lay();
    s_.switches.blankZero = false;  // a price of 0 is shown as 0.00
    screen_.SetColours(ColourMode::Normal);
    s_.console.gotoXY(1, kWaitRow);
    s_.console.clrEol();
    screen_.WriteCentred(kDarkNoteRow, kDarkNote);
    screen_.WriteCentred(kF2NoteRow, kF2Note);
    ShowPage(0);
    ShowChapter();
    const auto store = [this] {
        std::string error;
        if (!StorePrices(s_.project, book_, changed_, &error)) s_.ui.showError(error, "Error");
    };
    try {
        for (;;) {
            const bool going = place_ < 0 ? EditChapter() : EditPrice();
            if (!going) break;
        }
    } catch (const console::ProgramExit&) {
        store();  // leaving the program from the screen keeps the prices already taken
        throw;
    }
    screen_.ZonesOff();
    s_.console.hideCaret();
    store();
    s_.switches.endKeys = endKeys;
    s_.switches.blankZero = blankZero;
}

}  // namespace

void EnterUnitPrices(shell::Session& s) {
    s.switches.atMainMenu = false;
    UnitPriceScreen screen(s);
    screen.Run();
}

}  // namespace nivex::budget
