#include "drawings/paper_listing.h"

#include <algorithm>
#include <vector>

#include "console/codepage.h"
#include "drawings/paper_pages.h"
#include "listings/print_listing.h"
#include "project/replace_file.h"

namespace nivex::drawings {
namespace {

using listings::CellFill;

// Carta portrait, in points.
constexpr double kPageWidth = 612;
constexpr double kPageHeight = 792;
constexpr double kUnit = 0.1;  // points per device unit

// The cells are those of Courier New, what the printer measured: 600/1000 em across, and
// down the height of its blank (ascent 1705 and descent 615 of 2048 units), so that a
// standard sheet of 91 lines at 7 points takes 722 of the page's 792 points, as it did on
// paper. The program's font is fitted into them.
constexpr double kAdvance = 0.6;
constexpr double kAscent = 1705.0 / 2048;
constexpr double kCellHeight = 2320.0 / 2048;

// The 137-column print line at 7 points (575.4 pt) centred across the page.
constexpr double kPrintColumns = 137;
constexpr double kLeftMargin = (kPageWidth - kPrintColumns * 7 * kAdvance) / 2;
constexpr double kTopMargin = 36;

constexpr double kGrey = 80.0 / 255;
constexpr double kHatchStep = 1.5;  // points between hatch lines
constexpr double kHatchWidth = 0.25;
constexpr double kThinLine = 0.24;

double pageX(double x) {
    return kLeftMargin + x * kUnit;
}
double pageY(double y) {
    return kTopMargin + y * kUnit;
}

// Device units are tenths of a point, so that a 7-point cell is 42 units wide.
class ListingCanvas : public listings::PageCanvas {
  public:
    explicit ListingCanvas(PaperPages& pages) : pages_(pages) {}

    bool beginDocument() override { return pages_.Good(); }
    bool newPage() override {
        pages_.NewPage();
        return pages_.Good();
    }
    bool endDocument() override { return pages_.Good(); }

    void setFont(double points, bool bold) override {
        points_ = points;
        pages_.SetFont(points, points * kAdvance, bold);
    }
    double cellWidth() const override { return points_ * kAdvance / kUnit; }
    double lineHeight() const override { return points_ * kCellHeight / kUnit; }

    // What lies wholly below the page (a listing without page ends) is dropped, so that
    // such a file cannot swell the PDF without showing anything.
    void drawText(double x, double y, std::string_view bytes) override {
        if (bytes.empty() || pageY(y) > kPageHeight) return;
        pages_.Text(pageX(x), pageY(y) + points_ * kAscent, toUtf8(bytes));
    }

    void fillRect(double x, double y, double width, double height, CellFill fill) override {
        // Cut to the page.
        const double x0 = std::max(0.0, pageX(x));
        const double x1 = std::min(kPageWidth, pageX(x + width));
        const double y0 = std::max(0.0, pageY(y));
        const double y1 = std::min(kPageHeight, pageY(y + height));
        if (!(x1 > x0 && y1 > y0)) return;
        switch (fill) {
            case CellFill::Grey:
                pages_.Fill(x0, y0, x1 - x0, y1 - y0, kGrey);
                return;
            case CellFill::Black:
                pages_.Fill(x0, y0, x1 - x0, y1 - y0, 0);
                return;
            case CellFill::CrossHatch:
            case CellFill::DiagonalCrossHatch:
                pages_.Hatch(x0, y0, x1 - x0, y1 - y0, fill == CellFill::DiagonalCrossHatch,
                             kHatchStep, kHatchWidth);
                return;
        }
    }

    void drawLine(double x0, double y0, double x1, double y1, double thickness) override {
        if (pageY(y0) > kPageHeight && pageY(y1) > kPageHeight) return;
        // A one-unit line would be a hairline on a fine printer: it gets one dot of 300 dpi.
        pages_.Line(pageX(x0), pageY(y0), pageX(x1), pageY(y1),
                    std::max(thickness * kUnit, kThinLine));
    }

  private:
    PaperPages& pages_;
    double points_ = 7;
};

}  // namespace

bool PrintListingToPdf(const std::string& listingFile, const std::string& pdfFile,
                       const std::string& fontFile, bool reportMode, std::string* error,
                       int* pages) {
    if (pages) *pages = 0;
    std::vector<std::string> lines;
    std::string message;
    if (!listings::ReadListingLines(listingFile, lines, &message)) {
        if (error) *error = toUtf8(message);
        return false;
    }
    PaperPages paper;
    if (!paper.Open(pdfFile, fontFile, kPageWidth, kPageHeight, error)) return false;
    ListingCanvas canvas(paper);
    const int count = listings::PrintListing(lines, canvas, reportMode);
    if (count == 0) {
        if (error) *error = project::WriteFailure(pdfFile);
        return false;  // the temporary file goes with paper
    }
    if (!paper.Finish(error)) return false;
    if (pages) *pages = count;
    return true;
}

}  // namespace nivex::drawings
