#pragma once
// How the value screens show and edit their fields: one page of fields on the screen,
// edited one at a time with Enter, Down, Up and clicks, each field checked against its
// rule before the cursor moves on, and the screen's cross-rules checked on Esc.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/session.h"
#include "specs/value_fields.h"

namespace nivex::specs::detail {

// The screen's switches for as long as it runs: blank zeros off, its field-ending keys,
// the changed marks cleared; the zones go and the switches come back on leaving.
class ScreenFrame {
  public:
    ScreenFrame(shell::Session& s, bool paged);
    ~ScreenFrame();
    ScreenFrame(const ScreenFrame&) = delete;
    ScreenFrame& operator=(const ScreenFrame&) = delete;

    // A clean screen with the title on row 1 and the legend; more is the legend's
    // "PgDn^..." part, empty for none.
    void Clear(std::string_view title, std::string_view more);
    // A text on a row, centred, dimmed or not.
    void Centred(int row, std::string_view text);
    void Text(int column, int row, std::string_view text, bool dimmed = false);

  private:
    shell::Session& s_;
    bool blankZero_;
    std::string endKeys_;
};

struct Page {
    std::vector<ValueField> fields;
    std::vector<double> numbers;     // the values being edited
    std::vector<std::string> texts;  // of the text fields
    std::vector<char> active;        // as when the page was built
    std::vector<char> dirty;         // typed over since last stored
    int current = 0;
};

Page MakePage(std::vector<ValueField> fields, const EspecT& e);
// Every field with its prompt (inactive ones dimmed) and the fields' mouse zones.
void ShowPage(shell::Session& s, Page& page);

enum class PageExit { Esc, PgDn, PgUp, PastLast, BeforeFirst, Reshaped };

struct PageOptions {
    char letter = 0;             // whose cross-rules Esc checks
    bool enterPastLast = false;  // Enter on the last field leaves the page
    bool upBeforeFirst = false;  // Up on the first field leaves the page
    bool pageKeys = false;       // PgDn and PgUp leave the page
    // After field k stored a new value: true when the page must be built again.
    std::function<bool(int k)> reshapes;
    // Esc: the message that keeps the screen open (may move the current field); empty
    // lets it close. Default: the screen's cross-rules.
    std::function<std::string(Page&)> onEsc;
};

// Edits from page.current until the page is left; page.current is where editing was.
PageExit EditPage(shell::Session& s, Page& page, const PageOptions& options);

}  // namespace nivex::specs::detail
