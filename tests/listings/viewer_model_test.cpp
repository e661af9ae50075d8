// What the listing viewer shows of a listing file: indent, emphasis, cut lines, bytes
// without a character, the search, the window size and the save name.

#include "listings/viewer_model.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "console/codepage.h"

namespace nivex::listings {
namespace {

namespace fs = std::filesystem;

const std::string kEscG = "\x1bG";
const std::string kEscH = "\x1bH";
const std::string kBar(1, char(179));

ViewerModel Built(const std::vector<std::string>& raw) {
    ViewerModel model;
    model.Build(raw);
    return model;
}

struct TempFile {
    fs::path path = fs::temp_directory_path() / ("nivex_viewer_" + std::to_string(::getpid()));
    explicit TempFile(const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }
    ~TempFile() { fs::remove(path); }
};

TEST(ViewerLines, IndentComesFromTheBlankLeadingLinesOfTheFirst21) {
    std::vector<std::string> raw = {"ABCDEFGHIJKL", "\x1bG   X", std::string(10, ' ') + "D"};
    raw.resize(21, std::string(12, ' ') + "e");
    raw.push_back("   " + std::string(200, 'w'));  // line 22: neither indent nor width
    auto model = Built(raw);
    EXPECT_EQ(model.indent(), 10);
    EXPECT_EQ(model.lines()[0].bytes, "  KL  ");  // the indent goes whatever stands there
    EXPECT_EQ(model.lines()[1].bytes, "    ");
    EXPECT_EQ(model.lines()[2].bytes, "  D  ");
    EXPECT_EQ(model.lines()[3].bytes, "    e  ");
    EXPECT_EQ(model.headWidth(), 7);
    EXPECT_EQ(Built({"ABC", "", "\x1bG   X"}).lines()[2].bytes, "     X  ");
}

TEST(ViewerLines, LoadingSplitsCrLfOrLfAndNamesAMissingFile) {
    TempFile file("uno\r\ndos\ntres\r\n\r\ncuatro");
    ViewerModel model;
    ASSERT_TRUE(model.Load(file.path.string()));
    EXPECT_EQ(model.joined(), "  uno  \n  dos  \n  tres  \n    \n  cuatro  ");

    const std::string missing = (fs::temp_directory_path() / "nivex_no_existe_LPT").string();
    EXPECT_FALSE(model.Load(missing));
    EXPECT_EQ(model.error(), "No se pudo leer el listado " + missing);
    EXPECT_TRUE(model.lines().empty());

    std::ofstream(file.path, std::ios::trunc).close();
    EXPECT_TRUE(model.Load(file.path.string()));
    EXPECT_TRUE(model.error().empty());
    EXPECT_TRUE(model.lines().empty());
}

TEST(ViewerLines, LongLinesAreCutAndBytesWithoutCharacterCounted) {
    auto cut = Built({std::string(255, 'a'), std::string(300, 'b'), std::string(256, 'c')});
    EXPECT_EQ(cut.cutLines(), 2);
    EXPECT_EQ(cut.lines()[0].bytes.size(), 259u);
    EXPECT_EQ(cut.lines()[1].bytes, "  " + std::string(255, 'b') + "  ");

    const std::string line =
        std::string("A") + char(129) + char(205) + char(179) + char(224) + char(209) + char(141);
    auto model = Built({line});
    EXPECT_EQ(model.missingGlyphs(), 2);
    EXPECT_EQ(model.lines()[0].text, U"  A\uFFFD\u2550\u2502\u2564\u00D1\uFFFD  ");
}

TEST(ViewerEmphasis, LeadingCodesAreNotRedInlineSpansAreButTheirLastCharacter) {
    auto model = Built({kEscG + "   PROYECTO", kEscH + "\x13",
                        "ab " + kEscG + "ROJO" + kEscH + " cd " + kEscG + "XY" + kEscH + "z",
                        "a" + kEscH + "b\x0f" + "c\x12", "n " + kEscG + "abierto"});
    EXPECT_EQ(model.lines()[0].bytes, "     PROYECTO  ");
    EXPECT_EQ(model.lines()[1].bytes, "    ");  // the page end takes no place
    EXPECT_EQ(model.lines()[2].bytes, "  ab ROJO cd XYz  ");
    EXPECT_EQ(model.lines()[2].red, (std::vector<Span>{{5, 3}, {13, 1}}));
    EXPECT_EQ(model.lines()[3].bytes, "  abc  ");
    // Without a closing code the rest of the line is red.
    EXPECT_EQ(model.lines()[4].red, (std::vector<Span>{{4, 9}}));
    for (int i : {0, 1, 3})
        EXPECT_TRUE(model.lines()[i].red.empty()) << i;
}

TEST(ViewerEmphasis, FramedListingKeepsEveryLineAndSpan) {
    const std::string m(27, ' ');
    const std::string rule = m + std::string(90, char(205));
    std::vector<std::string> raw;
    for (int sheet = 1; sheet <= 2; ++sheet) {
        raw.insert(raw.end(), 5, "");
        raw.push_back(kEscG + m + "PROYECTO :  Barrio Norte      HOJA No." + char('0' + sheet));
        raw.insert(raw.end(), {rule, m + "******   LISTADO   ******", rule});
        raw.push_back(kEscH + m + "Tramo " + kBar + " Pozo");
        raw.push_back(m + "A-1   " + kBar + " " + kEscG + "P12*" + kEscH + " falla");
        raw.insert(raw.end(), {kEscG + rule, kEscH + "\x13"});
    }
    std::string content;
    for (const std::string& line : raw)
        content += line + "\r\n";
    TempFile file(content);
    ViewerModel model;
    ASSERT_TRUE(model.Load(file.path.string()));
    ASSERT_EQ(model.lines().size(), raw.size());
    EXPECT_EQ(model.headWidth(), 94);
    const std::string shownRule = "  " + std::string(90, char(205)) + "  ";
    const std::vector<std::string> page = {"    ",
                                           "    ",
                                           "    ",
                                           "    ",
                                           "    ",
                                           "  PROYECTO :  Barrio Norte      HOJA No.",
                                           shownRule,
                                           "  ******   LISTADO   ******  ",
                                           shownRule,
                                           "  Tramo " + kBar + " Pozo  ",
                                           "  A-1   " + kBar + " P12* falla  ",
                                           shownRule,
                                           "    "};
    const std::vector<Span> inlineSpan = {{10, 3}};
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const ShownLine& line = model.lines()[i];
        EXPECT_EQ(line.bytes.substr(0, page[i % 13].size()), page[i % 13]) << i;
        EXPECT_EQ(line.red, i % 13 == 10 ? inlineSpan : std::vector<Span>()) << i;
    }
}

TEST(ViewerSearch, BarFindsTheColumnLinesAndARepeatMovesOn) {
    auto model = Built({"a " + kBar + " b", "c " + kBar});  // the lines at 4 and 14
    ViewerState state;
    EXPECT_EQ(Search(state, model, "|", 0), 4);
    EXPECT_EQ(state.lastSearch, kBar);
    EXPECT_EQ(state.lastMatch, 5);
    EXPECT_EQ(Search(state, model, "|", 4), 14);  // the caret still stands on the match
    EXPECT_EQ(Search(state, model, "|", 14), std::nullopt);
    EXPECT_EQ(state.lastMatch, 0);
    EXPECT_EQ(Search(state, model, "|", 14), 14);  // no last match: the caret counts
    EXPECT_EQ(Search(state, model, "|", 4), 4);

    auto cases = Built({"Tramo tramo TRAMO"});
    state.lastMatch = 0;
    EXPECT_EQ(Search(state, cases, "Tramo", 3), std::nullopt);
    EXPECT_EQ(Search(state, cases, "TRAMO", 3), 14);
    // An empty box searches nothing and keeps the last match.
    EXPECT_EQ(Search(state, cases, "", 0), std::nullopt);
    EXPECT_EQ(state.lastSearch, "");
    EXPECT_EQ(state.lastMatch, 15);
}

TEST(ViewerWindow, SizeAndSaveName) {
    EXPECT_EQ(ViewerWindowSize(40, 7, 1280, 1024).width, 700);  // at least 100 columns
    EXPECT_EQ(ViewerWindowSize(130, 7, 1280, 1024).width, 134 * 7);
    EXPECT_EQ(ViewerWindowSize(250, 7, 1280, 1024).width, 1280);
    EXPECT_EQ(ViewerWindowSize(130, 7, 1280, 1024).height, 974);

    const std::string title = cp("Diseño");
    EXPECT_EQ(SaveName("Barrio Norte", "0", title), "Word - Barrio Norte - " + title);
    EXPECT_EQ(SaveName("Barrio Norte", "3", title), "Word - Barrio Norte - Sector#3 - " + title);
    EXPECT_EQ(SaveName(std::string(40, 'N'), "0", "T"), "Word - " + std::string(32, 'N') + " - T");
}

TEST(ViewerPlainText, ShownLinesAsUtf8WithoutMarks) {
    auto model = Built({"a" + kEscG + "B" + char(241) + kEscH + char(205), {char(224)}});
    EXPECT_EQ(PlainText(model), "  aB\xC3\xB1\xE2\x95\x90  \n  \xE2\x95\xA4  \n");
}

}  // namespace
}  // namespace nivex::listings
