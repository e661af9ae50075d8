#pragma once
// A small PDF writer for printed listings: carta pages, the standard Courier faces, lines
// and fills as path operators. No library behind it.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "listings/print_listing.h"

namespace nivex::listings {

// Device units are tenths of a point, so that a 7-point cell is 42 units wide.
class PdfCanvas : public PageCanvas {
  public:
    explicit PdfCanvas(std::ostream& out) : out_(out) {}

    bool beginDocument() override;
    bool newPage() override;
    bool endDocument() override;

    void setFont(double points, bool bold) override;
    double cellWidth() const override;
    double lineHeight() const override;

    void drawText(double x, double y, std::string_view bytes) override;
    void fillRect(double x, double y, double width, double height, CellFill fill) override;
    void drawLine(double x0, double y0, double x1, double y1, double thickness) override;

  private:
    void emit(std::string_view text);
    int startObject();
    void finishPage();
    void hatch(double x0, double y0, double x1, double y1, bool diagonal);

    std::ostream& out_;
    std::uint64_t written_ = 0;
    std::vector<std::uint64_t> offsets_;  // by object number; 0 unused
    std::vector<int> pageObjects_;
    std::string content_;  // the page being drawn
    bool pageOpen_ = false;
    double points_ = 7;
    bool bold_ = false;
};

// Prints a listing file into a PDF file, through a temporary file beside it, so that a
// failure leaves no half-written PDF. False with a message (code-page bytes) naming the
// file; pages receives the number of pages.
bool PrintListingToPdf(const std::string& listingFile, const std::string& pdfFile, bool reportMode,
                       std::string* error, int* pages = nullptr);

}  // namespace nivex::listings
