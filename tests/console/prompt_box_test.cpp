// The boxes drawn in the console: the "continue" message box, the text-mode
// yes/no box and the box that waits for any key.

#include <gtest/gtest.h>

#include <string>

#include "console/keys.h"
#include "console/screen.h"
#include "screen_test_util.h"
#include "support/scripted.h"

namespace nivex::console {
namespace {

using nivex::testing::allCells;
using nivex::testing::ConsoleRig;
using nivex::testing::fillPattern;
using nivex::testing::ProbingPump;
using nivex::testing::ScriptExhausted;

const KeyButton* freeButton(const Console& console, std::string_view caption) {
    for (const auto& b : console.freeButtons())
        if (b && b->caption == caption) return &*b;
    return nullptr;
}

// A pump that answers a wait by clicking the free button with the given caption.
class ButtonClicker : public EventPump {
  public:
    ButtonClicker(Console& console, std::string caption)
        : console_(console), caption_(std::move(caption)) {
        console_.setPump(this);
    }
    void waitForInput() override {
        if (clicks_++ > 0) throw nivex::testing::ScriptExhausted();
        const KeyButton* button = freeButton(console_, caption_);
        if (!button) throw std::runtime_error("no button " + caption_);
        seen = *button;
        console_.buttonClicked(*button);
    }
    void processPending() override {}
    void sleepMs(int) override {}
    KeyButton seen;

  private:
    Console& console_;
    std::string caption_;
    int clicks_ = 0;
};

class PromptBox : public ::testing::Test {
  protected:
    ConsoleRig rig;
    Screen screen{rig.console};
};

// ---- ShowMessageBox ----

TEST_F(PromptBox, MessageBoxWaitsForEnterOrEsc) {
    fillPattern(rig.console);
    const auto before = allCells(rig.console);
    std::string messageRow, continueRow;
    bool waiting = false;
    int depth = 0;
    {
        ProbingPump probe(rig, [&] {
            messageRow = rig.row(11);
            continueRow = rig.row(13);
            waiting = rig.switches.continueWaiting;
            depth = screen.WindowDepth();
        });
        rig.pump.type("x ").key(key::Enter);
        screen.ShowMessageBox("No hay tramos");
    }
    EXPECT_EQ(rig.pump.beeps(), 2);  // 'x' and ' '
    EXPECT_TRUE(waiting);
    EXPECT_EQ(depth, 1);
    EXPECT_FALSE(rig.switches.continueWaiting);
    EXPECT_EQ(rig.switches.mainChoice, 99);
    EXPECT_EQ(screen.WindowDepth(), 0);
    EXPECT_EQ(allCells(rig.console), before);
    // Window 10..70 x 9..15: interior from column 11, 59 wide; rows 2 and 4 are 11 and 13.
    const std::string message = "No hay tramos";
    const int mcol = 11 + (59 - static_cast<int>(message.size())) / 2;
    EXPECT_EQ(messageRow.substr(static_cast<size_t>(mcol - 1), message.size()), message);
    const std::string cont = "Para continuar oprima [ ENTER o ESC ]";
    const int ccol = 11 + (59 - static_cast<int>(cont.size())) / 2;
    EXPECT_EQ(continueRow.substr(static_cast<size_t>(ccol - 1), cont.size()), cont);
}

TEST_F(PromptBox, MessageBoxEndsWithEsc) {
    rig.pump.key(key::Esc);
    screen.ShowMessageBox("Mensaje");
    EXPECT_EQ(rig.pump.beeps(), 0);
    EXPECT_TRUE(rig.pump.done());
    EXPECT_EQ(rig.switches.lastKey, key::Esc);
}

TEST_F(PromptBox, MessageBoxWithoutKeysKeepsWaiting) {
    EXPECT_THROW(screen.ShowMessageBox("Mensaje"), ScriptExhausted);
    EXPECT_FALSE(rig.switches.continueWaiting);  // reset on the way out
}

TEST_F(PromptBox, QuietMessageBoxLeavesContinueWaitingAlone) {
    bool waiting = true;
    {
        ProbingPump probe(rig, [&] { waiting = rig.switches.continueWaiting; });
        rig.pump.key(key::Enter);
        screen.ShowMessageBoxQuiet("Mensaje");
    }
    EXPECT_FALSE(waiting);
    EXPECT_EQ(rig.switches.mainChoice, 99);
    EXPECT_EQ(screen.WindowDepth(), 0);
}

// ---- AskSiNo ----

TEST_F(PromptBox, AskSiNoAnsweredByKeys) {
    fillPattern(rig.console);
    const auto before = allCells(rig.console);
    bool question = false, ownEscape = false;
    const KeyButton* si = nullptr;
    KeyButton siSeen, noSeen;
    std::string lineRow;
    {
        ProbingPump probe(rig, [&] {
            question = rig.switches.questionWaiting;
            ownEscape = rig.switches.ownEscape;
            si = freeButton(rig.console, "  SI  ");
            if (si) siSeen = *si;
            if (auto* no = freeButton(rig.console, "  NO  ")) noSeen = *no;
            lineRow = rig.row(7);
        });
        rig.pump.type("x").key(key::Esc).type("n");
        EXPECT_EQ(screen.AskSiNo(5, "Desea salir?", "Pregunta"), 'N');
    }
    EXPECT_TRUE(question);
    EXPECT_TRUE(ownEscape);
    EXPECT_FALSE(rig.switches.questionWaiting);
    EXPECT_FALSE(rig.switches.ownEscape);
    EXPECT_EQ(siSeen.key, 'S');
    EXPECT_EQ(noSeen.key, 'N');
    // Left and right of the centre, on the box's last row (5 + 1 line + 2).
    EXPECT_EQ(siSeen.row, 8);
    EXPECT_EQ(noSeen.row, 8);
    EXPECT_LT(siSeen.column + siSeen.width - 1, 41);
    EXPECT_GT(noSeen.column, 40);
    EXPECT_NE(lineRow.find("Desea salir?"), std::string::npos);
    // Closed: buttons gone, screen restored.
    EXPECT_EQ(freeButton(rig.console, "  SI  "), nullptr);
    EXPECT_EQ(freeButton(rig.console, "  NO  "), nullptr);
    EXPECT_EQ(allCells(rig.console), before);
    EXPECT_EQ(screen.WindowDepth(), 0);

    rig.pump.type("S");
    EXPECT_EQ(screen.AskSiNo(5, "Desea salir?", "Pregunta"), 'S');
}

TEST_F(PromptBox, AskSiNoAnsweredByClickingSi) {
    ButtonClicker clicker(rig.console, "  SI  ");
    EXPECT_EQ(screen.AskSiNo(10, "Borrar el tramo\rdel proyecto?", "Confirmar"), 'S');
    EXPECT_EQ(clicker.seen.key, 'S');
    EXPECT_EQ(clicker.seen.row, 10 + 2 + 2);  // two lines: the box is 5 rows high
    EXPECT_EQ(screen.WindowDepth(), 0);
    rig.console.setPump(&rig.pump);
}

TEST_F(PromptBox, AskSiNoBoxGeometry) {
    Rect window;
    {
        ProbingPump probe(rig, [&] { window = rig.console.window(); });
        rig.pump.type("N");
        screen.AskSiNo(4, "Primera linea\rSegunda linea mas larga", "T");
    }
    // Longest line 23 + 2 = 25 wide, centred on 81: columns 29..53; rows 4..8.
    EXPECT_EQ(window, (Rect{30, 5, 52, 7}));
}

// ---- WaitAnyKey ----

TEST_F(PromptBox, WaitAnyKeyTakesAnyKeyAfterDroppingQueuedOnes) {
    fillPattern(rig.console);
    const auto before = allCells(rig.console);
    rig.console.pushKey('a');  // already queued: dropped
    std::string first, third;
    Rect window;
    {
        ProbingPump probe(rig, [&] {
            window = rig.console.window();
            first = rig.row(12);
            third = rig.row(14);
        });
        rig.pump.key(key::F1 + 4);  // F5
        screen.WaitAnyKey(13, "Proceso terminado");
    }
    EXPECT_EQ(rig.switches.lastKey, key::F1 + 4);  // F5, not the dropped 'a'
    EXPECT_TRUE(rig.pump.done());
    // 34 + 2 = 36 wide centred: columns 23..58; rows 11..15; interior 24..57 x 12..14.
    EXPECT_EQ(window, (Rect{24, 12, 57, 14}));
    EXPECT_NE(first.find("Proceso terminado"), std::string::npos);
    EXPECT_NE(third.find("Para continuar use cualquier tecla"), std::string::npos);
    EXPECT_EQ(allCells(rig.console), before);
}

}  // namespace
}  // namespace nivex::console
