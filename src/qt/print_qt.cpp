#include "qt/print_qt.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPen>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

#include "console/codepage.h"
#include "listings/print_listing.h"
#include "project/replace_file.h"
#include "qt/qt_text.h"
#include "ui/ui.h"

namespace nivex::qt {
namespace {

using listings::CellFill;

// In points, as the PDF writer draws them.
constexpr double kHatchStep = 1.5;
constexpr double kHatchWidth = 0.25;
constexpr double kThinLine = 0.24;

// "Courier New" when installed, otherwise the system's fixed-pitch face.
QFont listingFace() {
    QFont face(QStringLiteral("Courier New"));
    face.setStyleHint(QFont::TypeWriter);
    face.setFixedPitch(true);
    if (!QFontInfo(face).fixedPitch()) face = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    return face;
}

class PainterCanvas : public listings::PageCanvas {
  public:
    explicit PainterCanvas(QPrinter& printer)
        : printer_(printer), face_(listingFace()), metrics_(face_, &printer) {}

    bool beginDocument() override { return painter_.begin(&printer_); }
    bool newPage() override { return printer_.newPage(); }
    bool endDocument() override { return painter_.end(); }

    void setFont(double points, bool bold) override {
        QFont font = face_;
        font.setPointSizeF(points);
        font.setBold(bold);
        painter_.setFont(font);
        metrics_ = QFontMetricsF(font, &printer_);
    }
    double cellWidth() const override { return metrics_.horizontalAdvance(QLatin1Char(' ')); }
    double lineHeight() const override { return metrics_.height(); }

    void drawText(double x, double y, std::string_view bytes) override {
        painter_.setPen(Qt::black);
        painter_.drawText(QPointF(x, y + metrics_.ascent()), qtext(bytes));
    }

    void fillRect(double x, double y, double width, double height, CellFill fill) override {
        const QRectF cell(x, y, width, height);
        switch (fill) {
            case CellFill::Grey:
                painter_.fillRect(cell, QColor(80, 80, 80));
                return;
            case CellFill::Black:
                painter_.fillRect(cell, Qt::black);
                return;
            case CellFill::CrossHatch:
            case CellFill::DiagonalCrossHatch:
                hatch(cell, fill == CellFill::DiagonalCrossHatch);
                return;
        }
    }

    void drawLine(double x0, double y0, double x1, double y1, double thickness) override {
        // A one-pixel line would be a hairline on a fine printer: at least a dot of 300 dpi.
        const double width = std::max(thickness, points(kThinLine));
        painter_.setPen(QPen(Qt::black, width, Qt::SolidLine, Qt::FlatCap));
        painter_.drawLine(QPointF(x0, y0), QPointF(x1, y1));
    }

  private:
    double points(double pt) const { return std::max(1.0, printer_.resolution() * pt / 72.0); }

    // Lines at fixed page positions, so that the hatch of neighbouring cells runs on; Qt's
    // pattern brushes are drawn in device pixels and would print as grey.
    void hatch(const QRectF& cell, bool diagonal) {
        const double step = points(kHatchStep);
        painter_.save();
        painter_.setClipRect(cell);
        painter_.setPen(QPen(Qt::black, points(kHatchWidth)));
        const double x0 = cell.left(), x1 = cell.right(), y0 = cell.top(), y1 = cell.bottom();
        if (!diagonal) {
            for (double x = std::ceil(x0 / step) * step; x <= x1; x += step)
                painter_.drawLine(QPointF(x, y0), QPointF(x, y1));
            for (double y = std::ceil(y0 / step) * step; y <= y1; y += step)
                painter_.drawLine(QPointF(x0, y), QPointF(x1, y));
        } else {
            for (double c = std::ceil((x0 - y1) / step) * step; c <= x1 - y0; c += step)
                painter_.drawLine(QPointF(y0 + c, y0), QPointF(y1 + c, y1));
            for (double c = std::ceil((x0 + y0) / step) * step; c <= x1 + y1; c += step)
                painter_.drawLine(QPointF(c - y0, y0), QPointF(c - y1, y1));
        }
        painter_.restore();
    }

    QPrinter& printer_;
    QPainter painter_;
    QFont face_;
    QFontMetricsF metrics_;
};

void setUpPage(QPrinter& printer) {
    printer.setPageOrientation(QPageLayout::Portrait);
}

}  // namespace

bool PrintListingWithDialog(QWidget* parent, const std::string& listingFile, bool reportMode,
                            ui::Ui& ui) {
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        ui.showWarning("No hay ninguna impresora instalada", "Advertencia");
        return false;
    }
    std::vector<std::string> lines;
    std::string error;
    if (!listings::ReadListingLines(listingFile, lines, &error)) {
        ui.showError(error, "Error");
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    setUpPage(printer);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    setUpPage(printer);
    PainterCanvas canvas(printer);
    if (listings::PrintListing(lines, canvas, reportMode) == 0) {
        ui.showError("Error del Sistema Operativo - Reintente", "Error");
        return false;
    }
    return true;
}

bool PrintListingToPdfQt(const std::string& listingFile, const std::string& pdfFile,
                         bool reportMode, std::string* error) {
    namespace fs = std::filesystem;
    std::vector<std::string> lines;
    if (!listings::ReadListingLines(listingFile, lines, error)) return false;

    const std::string temp = project::MakeTempFile(pdfFile, nullptr);
    auto fail = [&] {
        std::error_code ec;
        if (!temp.empty()) fs::remove(fs::path(temp), ec);
        if (error) *error = "No se pudo escribir el archivo " + cp(pdfFile);
        return false;
    };
    if (temp.empty()) return fail();
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(temp));
        printer.setPageSize(QPageSize(QPageSize::Letter));
        setUpPage(printer);
        // The 137-column print line of 7-point text between the side margins.
        printer.setPageMargins(QMarginsF(18, 36, 18, 36), QPageLayout::Point);
        PainterCanvas canvas(printer);
        if (listings::PrintListing(lines, canvas, reportMode) == 0) return fail();
    }
    std::error_code ec;
    // The temporary file exists from the start: an empty one means nothing was printed.
    if (fs::file_size(fs::path(temp), ec) == 0 || ec) return fail();
    fs::rename(fs::path(temp), fs::path(pdfFile), ec);
    if (ec) return fail();
    return true;
}

}  // namespace nivex::qt
