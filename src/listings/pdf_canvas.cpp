#include "listings/pdf_canvas.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "console/codepage.h"
#include "project/replace_file.h"

namespace nivex::listings {
namespace {

// Carta portrait, in points.
constexpr double kPageWidth = 612;
constexpr double kPageHeight = 792;
constexpr double kUnit = 0.1;  // points per device unit

// Courier advances 600/1000 em. The line is the height of a blank of Courier New (ascent
// 1705 and descent 615 of 2048 units), what the printer measured: a standard sheet of 91
// lines at 7 points then takes 722 of the page's 792 points, as it did on paper.
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

constexpr int kCatalog = 1, kPages = 2, kRegularFont = 3, kBoldFont = 4;

// Plain decimal with at most three places, whatever the locale.
std::string num(double v) {
    if (!std::isfinite(v)) v = 0;
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, std::round(v * 1000) / 1000,
                           std::chars_format::fixed, 3);
    std::string s(buf, r.ptr);
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    if (s == "-0" || s.empty()) s = "0";
    return s;
}

double pageX(double x) {
    return kLeftMargin + x * kUnit;
}
double pageY(double y) {
    return kPageHeight - kTopMargin - y * kUnit;
}

// A literal string: the bytes as they are (WinAnsi), the delimiters and the control codes
// escaped.
std::string literal(std::string_view bytes) {
    std::string s = "(";
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '(' || c == ')' || c == '\\') {
            s += '\\';
            s += ch;
        } else if (c < 32) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\%03o", c);
            s += buf;
        } else {
            s += ch;
        }
    }
    s += ')';
    return s;
}

}  // namespace

void PdfCanvas::emit(std::string_view text) {
    out_.write(text.data(), static_cast<std::streamsize>(text.size()));
    written_ += text.size();
}

int PdfCanvas::startObject() {
    const int number = static_cast<int>(offsets_.size());
    offsets_.push_back(written_);
    emit(std::to_string(number) + " 0 obj\n");
    return number;
}

bool PdfCanvas::beginDocument() {
    offsets_.assign(kBoldFont + 1, 0);
    // The comment of high bytes marks the file as binary for transfer programs.
    emit("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    offsets_[kCatalog] = written_;
    emit("1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n");
    offsets_[kRegularFont] = written_;
    emit(
        "3 0 obj\n<< /Type /Font /Subtype /Type1 /BaseFont /Courier"
        " /Encoding /WinAnsiEncoding >>\nendobj\n");
    offsets_[kBoldFont] = written_;
    emit(
        "4 0 obj\n<< /Type /Font /Subtype /Type1 /BaseFont /Courier-Bold"
        " /Encoding /WinAnsiEncoding >>\nendobj\n");
    content_.clear();
    pageOpen_ = true;
    return out_.good();
}

void PdfCanvas::finishPage() {
    if (!pageOpen_) return;
    const int contents = startObject();
    emit("<< /Length " + std::to_string(content_.size()) + " >>\nstream\n");
    emit(content_);
    emit("\nendstream\nendobj\n");
    const int page = startObject();
    emit("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + num(kPageWidth) + " " + num(kPageHeight) +
         "] /Resources << /Font << /F1 3 0 R /F2 4 0 R >> >> /Contents " +
         std::to_string(contents) + " 0 R >>\nendobj\n");
    pageObjects_.push_back(page);
    content_.clear();
    pageOpen_ = false;
}

bool PdfCanvas::newPage() {
    finishPage();
    content_.clear();
    pageOpen_ = true;
    return out_.good();
}

bool PdfCanvas::endDocument() {
    finishPage();
    offsets_[kPages] = written_;
    std::string kids;
    for (int page : pageObjects_)
        kids += std::to_string(page) + " 0 R ";
    emit("2 0 obj\n<< /Type /Pages /Kids [ " + kids + "] /Count " +
         std::to_string(pageObjects_.size()) + " >>\nendobj\n");
    const std::uint64_t xref = written_;
    emit("xref\n0 " + std::to_string(offsets_.size()) + "\n");
    emit("0000000000 65535 f \n");
    for (std::size_t i = 1; i < offsets_.size(); ++i) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010llu 00000 n \n",
                      static_cast<unsigned long long>(offsets_[i]));
        emit(entry);
    }
    emit("trailer\n<< /Size " + std::to_string(offsets_.size()) + " /Root 1 0 R >>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n");
    out_.flush();
    return out_.good();
}

void PdfCanvas::setFont(double points, bool bold) {
    points_ = points;
    bold_ = bold;
}

double PdfCanvas::cellWidth() const {
    return points_ * kAdvance / kUnit;
}

double PdfCanvas::lineHeight() const {
    return points_ * kCellHeight / kUnit;
}

// What lies wholly below the page (a listing without page ends) is dropped, so that such a
// file cannot swell the PDF without showing anything.
void PdfCanvas::drawText(double x, double y, std::string_view bytes) {
    if (bytes.empty() || pageY(y) < 0) return;
    content_ += "BT /" + std::string(bold_ ? "F2 " : "F1 ") + num(points_) + " Tf " +
                num(pageX(x)) + " " + num(pageY(y) - points_ * kAscent) + " Td " + literal(bytes) +
                " Tj ET\n";
}

void PdfCanvas::fillRect(double x, double y, double width, double height, CellFill fill) {
    // In points, bottom to top, cut to the page.
    const double x0 = std::max(0.0, pageX(x));
    const double x1 = std::min(kPageWidth, pageX(x + width));
    const double y0 = std::max(0.0, pageY(y + height));
    const double y1 = std::min(kPageHeight, pageY(y));
    if (!(x1 > x0 && y1 > y0)) return;
    const std::string box =
        num(x0) + " " + num(y0) + " " + num(x1 - x0) + " " + num(y1 - y0) + " re";
    switch (fill) {
        case CellFill::Grey:
            content_ += num(kGrey) + " g " + box + " f 0 g\n";
            return;
        case CellFill::Black:
            content_ += box + " f\n";
            return;
        case CellFill::CrossHatch:
        case CellFill::DiagonalCrossHatch:
            content_ += "q " + box + " W n " + num(kHatchWidth) + " w\n";
            hatch(x0, y0, x1, y1, fill == CellFill::DiagonalCrossHatch);
            content_ += "S Q\n";
            return;
    }
}

// Lines at fixed page positions, so that the hatch of neighbouring cells runs on.
void PdfCanvas::hatch(double x0, double y0, double x1, double y1, bool diagonal) {
    auto segment = [this](double ax, double ay, double bx, double by) {
        content_ += num(ax) + " " + num(ay) + " m " + num(bx) + " " + num(by) + " l\n";
    };
    if (!diagonal) {
        for (double x = std::ceil(x0 / kHatchStep) * kHatchStep; x <= x1; x += kHatchStep)
            segment(x, y0, x, y1);
        for (double y = std::ceil(y0 / kHatchStep) * kHatchStep; y <= y1; y += kHatchStep)
            segment(x0, y, x1, y);
        return;
    }
    // x - y = c rising, x + y = c falling, over the box's range of c.
    for (double c = std::ceil((x0 - y1) / kHatchStep) * kHatchStep; c <= x1 - y0; c += kHatchStep)
        segment(y0 + c, y0, y1 + c, y1);
    for (double c = std::ceil((x0 + y0) / kHatchStep) * kHatchStep; c <= x1 + y1; c += kHatchStep)
        segment(c - y0, y0, c - y1, y1);
}

void PdfCanvas::drawLine(double x0, double y0, double x1, double y1, double thickness) {
    if (pageY(y0) < 0 && pageY(y1) < 0) return;
    // A one-unit line would be a hairline on a fine printer: it gets one dot of 300 dpi.
    const std::string width = num(std::max(thickness * kUnit, kThinLine));
    content_ += width + " w " + num(pageX(x0)) + " " + num(pageY(y0)) + " m " + num(pageX(x1)) +
                " " + num(pageY(y1)) + " l S\n";
}

bool PrintListingToPdf(const std::string& listingFile, const std::string& pdfFile, bool reportMode,
                       std::string* error, int* pages) {
    namespace fs = std::filesystem;
    if (pages) *pages = 0;
    std::vector<std::string> lines;
    if (!ReadListingLines(listingFile, lines, error)) return false;

    const fs::path target(pdfFile);
    const fs::path temp(project::MakeTempFile(pdfFile, nullptr));
    auto fail = [&] {
        if (error) *error = project::WriteFailure(cp(pdfFile));  // before errno moves on
        std::error_code ec;
        if (!temp.empty()) fs::remove(temp, ec);
        return false;
    };
    if (temp.empty()) return fail();
    int count = 0;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return fail();
        PdfCanvas canvas(out);
        count = PrintListing(lines, canvas, reportMode);
        out.close();
        if (count == 0 || out.fail()) return fail();
    }
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) return fail();
    if (pages) *pages = count;
    return true;
}

}  // namespace nivex::listings
