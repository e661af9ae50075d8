#include "listings/viewer_model.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "console/codepage.h"
#include "project/file_size.h"

namespace nivex::listings {
namespace {

constexpr char kEsc = 27;
constexpr char32_t kNoGlyph = 0xFFFD;
constexpr unsigned char kColumnLine = 179;
constexpr int kMinWidthColumns = 100;
constexpr int kHeightReserve = 50;
constexpr std::size_t kSaveNameProject = 32;

std::vector<std::string> SplitLines(const std::string& data) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < data.size()) {
        std::size_t end = data.find('\n', start);
        if (end == std::string::npos) end = data.size();
        std::size_t stop = end;
        if (stop > start && data[stop - 1] == '\r') --stop;
        lines.emplace_back(data, start, stop - start);
        start = end + 1;
    }
    return lines;
}

int LeadingBlanks(const std::string& line) {
    const auto first = line.find_first_not_of(' ');
    return static_cast<int>(first == std::string::npos ? line.size() : first);
}

// The line as it stands once the leading code and the indent are gone, framed in blanks.
std::string Indented(std::string line, int indent) {
    if (!line.empty() && line[0] == kEsc) line.erase(0, 2);
    line.erase(0, std::min<std::size_t>(indent, line.size()));
    return "  " + line + "  ";
}

class LineRenderer {
  public:
    explicit LineRenderer(int& missing) : missing_(missing) {}

    ShownLine Render(std::string_view s) {
        ShownLine out;
        std::size_t i = 0;
        while (i < s.size()) {
            const std::size_t on = s.find("\x1bG", i);
            if (on == std::string_view::npos) {
                Append(out, s.substr(i));
                break;
            }
            Append(out, s.substr(i, on - i));
            const std::size_t off = s.find("\x1bH", on + 2);
            const std::size_t stop = off == std::string_view::npos ? s.size() : off;
            const int start = static_cast<int>(out.bytes.size());
            Append(out, s.substr(on + 2, stop - on - 2));
            int length = static_cast<int>(out.bytes.size()) - start;
            // The character just before the closing code keeps the normal colour; without
            // a closing code the rest of the line is red.
            if (off != std::string_view::npos) --length;
            if (length > 0) out.red.push_back({start, length});
            i = off == std::string_view::npos ? s.size() : off + 2;
        }
        return out;
    }

  private:
    // Adds text without emphasis marks: an Esc takes the next character with it, and the
    // printer's other control codes take no place on screen.
    void Append(ShownLine& out, std::string_view s) {
        for (std::size_t i = 0; i < s.size(); ++i) {
            const auto b = static_cast<unsigned char>(s[i]);
            if (b == kEsc) {
                ++i;
                continue;
            }
            if (b < 32) continue;
            const char32_t c = toUnicode(b);
            if (c == kNoGlyph) ++missing_;
            out.bytes += static_cast<char>(b);
            out.text += c;
        }
    }

    int& missing_;
};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

bool ViewerModel::Load(const std::string& file) {
    std::error_code ec;
    std::ifstream in;
    if (std::filesystem::is_regular_file(file, ec)) in.open(file, std::ios::binary);
    if (const std::string big = project::OversizedFile(file, project::kMostTextFileBytes);
        !big.empty()) {
        Build({});
        error_ = cp(big);
        return false;
    }
    std::string data;
    if (in) data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in.is_open() || in.bad()) {
        Build({});
        error_ = "No se pudo leer el listado " + cp(file);
        return false;
    }
    Build(SplitLines(data));
    return true;
}

void ViewerModel::Build(const std::vector<std::string>& raw) {
    lines_.clear();
    joined_.clear();
    error_.clear();
    cutLines_ = 0;
    missingGlyphs_ = 0;
    headWidth_ = 0;

    indent_ = -1;
    const std::size_t head = std::min<std::size_t>(raw.size(), kHeadLines);
    for (std::size_t i = 0; i < head; ++i) {
        const std::string line = raw[i].substr(0, kMaxShownLine);
        if (!line.empty() && line[0] == ' ') {
            const int blanks = LeadingBlanks(line);
            if (indent_ < 0 || blanks < indent_) indent_ = blanks;
        }
    }
    if (indent_ < 0) indent_ = 0;

    LineRenderer renderer(missingGlyphs_);
    lines_.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i].size() > kMaxShownLine) ++cutLines_;
        const std::string line = Indented(raw[i].substr(0, kMaxShownLine), indent_);
        if (i < kHeadLines) headWidth_ = std::max(headWidth_, static_cast<int>(line.size()));
        lines_.push_back(renderer.Render(line));
        if (i > 0) joined_ += '\n';
        joined_ += lines_.back().bytes;
    }
}

std::optional<int> ViewerModel::Find(std::string_view needle, int from) const {
    if (needle.empty() || from < 0) return std::nullopt;
    const std::size_t at = joined_.find(needle, static_cast<std::size_t>(from));
    if (at == std::string::npos) return std::nullopt;
    return static_cast<int>(at);
}

std::string SearchText(std::string_view boxBytes) {
    std::string text(boxBytes.substr(0, kMaxShownLine));
    std::replace(text.begin(), text.end(), '|', static_cast<char>(kColumnLine));
    return text;
}

std::optional<int> Search(ViewerState& state, const ViewerModel& model, std::string_view boxBytes,
                          int caret) {
    state.lastSearch = SearchText(boxBytes);
    if (state.lastSearch.empty()) return std::nullopt;
    // lastMatch holds the match's position + 1, so that 0 means none.
    const int start = state.lastMatch > 0 && caret == state.lastMatch - 1 ? caret + 1 : caret;
    const auto found = model.Find(state.lastSearch, start);
    state.lastMatch = found ? *found + 1 : 0;
    return found;
}

WindowSize ViewerWindowSize(int headWidth, int blankWidth, int desktopWidth, int desktopHeight) {
    int width = std::max(headWidth + 4, kMinWidthColumns) * blankWidth;
    width = std::min(width, desktopWidth);
    return {width, desktopHeight - kHeightReserve};
}

std::string SaveName(std::string_view projectName, std::string_view sectorDigit,
                     std::string_view title) {
    std::string name = "Word - ";
    name += projectName.substr(0, kSaveNameProject);
    if (!sectorDigit.empty() && sectorDigit != "0") {
        name += " - Sector#";
        name += sectorDigit;
    }
    name += " - ";
    name += title;
    return name;
}

std::string ShownUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    for (char32_t c : text)
        AppendUtf8(out, c);
    return out;
}

std::string PlainText(const ViewerModel& model) {
    std::string out;
    for (const ShownLine& line : model.lines()) {
        out += ShownUtf8(line.text);
        out += '\n';
    }
    return out;
}

}  // namespace nivex::listings
