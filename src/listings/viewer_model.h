#pragma once
// What the listing viewer shows of a listing file: the lines as they appear on screen with
// their red (emphasised) parts, the search through them, the window size and the name
// offered for saving. The viewer windows only draw what this model gives them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "listings/listing_state.h"

namespace nivex::listings {

constexpr int kMaxShownLine = 255;  // a longer line is cut
constexpr int kHeadLines = 21;      // lines that set the indent and the window width

// Characters [start, start + length) of a shown line.
struct Span {
    int start = 0;
    int length = 0;
    bool operator==(const Span&) const = default;
};

struct ShownLine {
    std::string bytes;      // code-page bytes on screen, control codes gone
    std::u32string text;    // the same, one character per byte
    std::vector<Span> red;  // emphasised parts, in order
};

class ViewerModel {
  public:
    // Reads the listing file; false with error() naming the file when it cannot be read.
    bool Load(const std::string& file);
    // The raw lines of a file (bytes without their line ends).
    void Build(const std::vector<std::string>& raw);

    const std::vector<ShownLine>& lines() const { return lines_; }
    const std::string& error() const { return error_; }
    int indent() const { return indent_; }
    // Lines longer than 255 characters, shown cut.
    int cutLines() const { return cutLines_; }
    // Bytes that the viewer has no character for; shown as U+FFFD.
    int missingGlyphs() const { return missingGlyphs_; }
    // Length of the longest of the first 21 lines once indented.
    int headWidth() const { return headWidth_; }

    // The whole shown text, lines joined with '\n', as the text area holds it: a position
    // in it is a position in the text area.
    const std::string& joined() const { return joined_; }

    // Forward search from `from`, matching case; the position of the match.
    std::optional<int> Find(std::string_view needle, int from) const;

  private:
    std::vector<ShownLine> lines_;
    std::string joined_;
    std::string error_;
    int indent_ = 0;
    int cutLines_ = 0;
    int missingGlyphs_ = 0;
    int headWidth_ = 0;
};

// The search box text as it is searched: '|' stands for the column line 179.
std::string SearchText(std::string_view boxBytes);

// "Buscar": the box text becomes the last search text and is searched for from the caret
// (one past the last match when the caret still stands on it). The match position, which
// becomes the last match, or nothing (the last match is forgotten; also for an empty box).
std::optional<int> Search(ViewerState& state, const ViewerModel& model, std::string_view boxBytes,
                          int caret);

struct WindowSize {
    int width = 0;
    int height = 0;
};

// The viewer window for a listing whose first lines are headWidth long, a blank blankWidth
// pixels wide and a desktop of the given size.
WindowSize ViewerWindowSize(int headWidth, int blankWidth, int desktopWidth, int desktopHeight);

// "Word - <project> - Sector#<digit> - <title>"; the sector part only for a digit other
// than "0". All code-page bytes.
std::string SaveName(std::string_view projectName, std::string_view sectorDigit,
                     std::string_view title);

// The shown lines as UTF-8, one per line, emphasis dropped (nivex-batch show).
std::string PlainText(const ViewerModel& model);

// A code-page byte string as UTF-8, with the viewer's characters.
std::string ShownUtf8(std::u32string_view text);

}  // namespace nivex::listings
