#pragma once
// Printing a listing file: one layout routine over an abstract page, drawn by the PDF
// writer, by a Qt printer, or by a test's recorder.

#include <string>
#include <string_view>
#include <vector>

namespace nivex::listings {

enum class CellFill { Grey, Black, CrossHatch, DiagonalCrossHatch };

// A printer's pages in its own device units, origin at the top left of the printable area.
// Texts are code-page bytes.
class PageCanvas {
  public:
    virtual ~PageCanvas() = default;

    // False when the document or a page cannot be started or finished.
    virtual bool beginDocument() = 0;
    virtual bool newPage() = 0;
    virtual bool endDocument() = 0;

    // The fixed-pitch face at `points`, regular or bold.
    virtual void setFont(double points, bool bold) = 0;
    // Width and height of a blank in the current font.
    virtual double cellWidth() const = 0;
    virtual double lineHeight() const = 0;

    // A run of text whose cell row has its top at y.
    virtual void drawText(double x, double y, std::string_view bytes) = 0;
    virtual void fillRect(double x, double y, double width, double height, CellFill fill) = 0;
    // A straight line `thickness` wide with flat ends.
    virtual void drawLine(double x0, double y0, double x1, double y1, double thickness) = 0;
};

// Lines are cut here; the listings never write longer ones.
inline constexpr std::size_t kPrintLineLimit = 255;

// Prints the lines of a listing file (without their line ends). The code 19 breaks the
// pages, except on the last line; in report mode every 100 lines of a page break it too.
// Gives the number of pages, 0 when the canvas failed.
int PrintListing(const std::vector<std::string>& lines, PageCanvas& canvas, bool reportMode);

// The lines of a listing file, each without its CR LF. False with a message (code-page
// bytes) naming the file when it cannot be read.
bool ReadListingLines(const std::string& file, std::vector<std::string>& lines, std::string* error);

}  // namespace nivex::listings
