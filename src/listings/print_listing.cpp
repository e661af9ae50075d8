#include "listings/print_listing.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "console/box_arms.h"
#include "console/codepage.h"
#include "project/file_size.h"

namespace nivex::listings {
namespace {

constexpr double kSmallPoints = 7;
constexpr double kLargePoints = 9;
constexpr int kReportPageLines = 100;

constexpr unsigned char kSmallPrint = 15;
constexpr unsigned char kLargePrint = 18;
constexpr unsigned char kPageEnd = 19;
constexpr unsigned char kEsc = 27;

// Above the frame codes (176 to 224) the code page holds only letters: á, é, í, ó, ú and
// the like print as text, as the viewer shows them, instead of leaving a blank cell.
bool isTextByte(unsigned char c) {
    return (c >= 32 && c <= 128) || c == 209 || c == 241 || c >= 225;
}

// 224 stands in for the DOS glyph at 209 (double arms left and right, a single one down),
// since 209 is Ñ here.
BoxArms armsOfCode(unsigned char c) {
    if (c == 224) return {0, 1, 2, 2};
    return boxArmsOf(c);
}

class ListingPrinter {
  public:
    explicit ListingPrinter(PageCanvas& canvas) : canvas_(canvas) {}

    int print(const std::vector<std::string>& lines, bool reportMode) {
        if (!canvas_.beginDocument()) return 0;
        setFont(kSmallPoints, false);
        int pages = 1;
        int pageLines = 0;
        double y = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            std::string line = lines[i].substr(0, kPrintLineLimit);
            if (reportMode && pageLines > 0 && pageLines % kReportPageLines == 0)
                line.insert(line.begin(), static_cast<char>(kPageEnd));
            const bool lastLine = i + 1 == lines.size();

            std::string run;
            int runColumn = 0;
            int column = 0;
            auto flush = [&] {
                if (!run.empty()) canvas_.drawText(runColumn * cw_, y, run);
                run.clear();
            };
            for (std::size_t k = 0; k < line.size(); ++k) {
                const auto c = static_cast<unsigned char>(line[k]);
                if (isTextByte(c)) {
                    if (run.empty()) runColumn = column;
                    run.push_back(static_cast<char>(c));
                    ++column;
                    continue;
                }
                flush();
                if (c >= 32) {
                    drawCell(c, column * cw_, y);
                    ++column;
                    continue;
                }
                switch (c) {
                    case kSmallPrint:
                        setFont(kSmallPoints, bold_);
                        break;
                    case kLargePrint:
                        setFont(kLargePoints, bold_);
                        break;
                    case kPageEnd:
                        // On the last line the page stays, and so does y: what follows
                        // must not print over the top of the page.
                        if (lastLine) break;
                        if (!canvas_.newPage()) return 0;
                        ++pages;
                        pageLines = 0;
                        y = 0;
                        break;
                    case kEsc:
                        if (k + 1 < line.size()) {
                            const char next = line[++k];
                            if (next == 'G' && !bold_) setBold(true);
                            if (next == 'H' && bold_) setBold(false);
                        }
                        break;
                    default:
                        break;
                }
            }
            flush();
            y += lh_;
            ++pageLines;
        }
        if (!canvas_.endDocument()) return 0;
        return pages;
    }

  private:
    void setFont(double points, bool bold) {
        points_ = points;
        bold_ = bold;
        canvas_.setFont(points_, bold_);
        cw_ = canvas_.cellWidth();
        lh_ = canvas_.lineHeight();
        thick_ = std::max(1.0, std::floor(lh_ / 8));
    }
    void setBold(bool bold) {
        bold_ = bold;
        canvas_.setFont(points_, bold_);
    }

    double armWidth(uint8_t arm) const { return arm == 2 ? thick_ : 1.0; }

    // Each arm runs from the middle of its edge to the centre, and on past it by half the
    // width of the crossing arms so that corners close.
    void drawArms(BoxArms a, double x, double y) {
        const double cx = x + cw_ / 2, cy = y + lh_ / 2;
        const double vWidth = std::max(a.up ? armWidth(a.up) : 0, a.down ? armWidth(a.down) : 0);
        const double hWidth =
            std::max(a.left ? armWidth(a.left) : 0, a.right ? armWidth(a.right) : 0);
        if (a.left) canvas_.drawLine(x, cy, cx + vWidth / 2, cy, armWidth(a.left));
        if (a.right) canvas_.drawLine(x + cw_, cy, cx - vWidth / 2, cy, armWidth(a.right));
        if (a.up) canvas_.drawLine(cx, y, cx, cy + hWidth / 2, armWidth(a.up));
        if (a.down) canvas_.drawLine(cx, y + lh_, cx, cy - hWidth / 2, armWidth(a.down));
    }

    void drawCell(unsigned char c, double x, double y) {
        const double third = lh_ / 3, sideThird = cw_ / 3;
        switch (c) {
            case 176:
            case 219:
                canvas_.fillRect(x, y, cw_, lh_, CellFill::Grey);
                return;
            case 177:
                canvas_.fillRect(x, y, cw_, lh_, CellFill::CrossHatch);
                return;
            case 178:
                canvas_.fillRect(x, y, cw_, lh_, CellFill::DiagonalCrossHatch);
                return;
            case 220:
                canvas_.fillRect(x, y + lh_ - third, cw_, third, CellFill::Black);
                return;
            case 223:
                canvas_.fillRect(x, y, cw_, third, CellFill::Black);
                return;
            case 221:
                canvas_.fillRect(x, y, sideThird, lh_, CellFill::Black);
                return;
            case 222:
                canvas_.fillRect(x + cw_ - sideThird, y, sideThird, lh_, CellFill::Black);
                return;
            default:
                break;
        }
        if (const BoxArms a = armsOfCode(c); a.any()) drawArms(a, x, y);
    }

    PageCanvas& canvas_;
    double points_ = kSmallPoints;
    bool bold_ = false;
    double cw_ = 0, lh_ = 0, thick_ = 1;
};

}  // namespace

int PrintListing(const std::vector<std::string>& lines, PageCanvas& canvas, bool reportMode) {
    return ListingPrinter(canvas).print(lines, reportMode);
}

bool ReadListingLines(const std::string& file, std::vector<std::string>& lines,
                      std::string* error) {
    lines.clear();
    std::error_code ec;
    std::ifstream in;
    // A folder opens like a file here but reads as nothing.
    if (!std::filesystem::is_directory(std::filesystem::path(file), ec))
        in.open(file, std::ios::binary);
    if (const std::string big = project::OversizedFile(file, project::kMostTextFileBytes);
        !big.empty()) {
        if (error) *error = cp(big);
        return false;
    }
    std::string data;
    if (in) data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in.is_open() || in.bad()) {
        if (error) *error = "No se pudo leer el listado " + cp(file);
        return false;
    }
    std::size_t start = 0;
    while (start < data.size()) {
        std::size_t end = data.find('\n', start);
        const bool ended = end != std::string::npos;
        if (!ended) end = data.size();
        std::size_t stop = end;
        if (ended && stop > start && data[stop - 1] == '\r') --stop;
        lines.emplace_back(data, start, stop - start);
        start = end + 1;
    }
    return true;
}

}  // namespace nivex::listings
