#include "drawings/paper_writer.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "console/codepage.h"
#include "drawings/drawing_style.h"
#include "drawings/paper_font.h"
#include "project/replace_file.h"
#include "shell/startup.h"

namespace nivex::drawings {
namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;
constexpr double kStackGap = 10;        // between pages stacked on one SVG or PNG sheet (mm)
constexpr double kMostPngDots = 32767;  // the side of the largest image cairo makes

// Paints one drawing with its lower left corner at (0, top + d.height) of the cairo page,
// in millimetres.
class Painter {
  public:
    Painter(cairo_t* cr, cairo_font_face_t* font) : cr_(cr) {
        cairo_set_font_face(cr_, font);
        cairo_set_font_size(cr_, 1.0);
        cairo_text_extents_t e;
        cairo_text_extents(cr_, "0", &e);
        // The font's advance made exactly kCharWidth, so texts fill the boxes they were
        // placed by.
        squeeze_ = e.x_advance > 0 ? kCharWidth / e.x_advance : 1.0;
        cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
        cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
    }

    void Paint(const Drawing& d, double top) {
        bottom_ = top + d.height;
        for (const Area& a : d.areas)
            PaintArea(a);
        for (const Polyline& l : d.lines)
            PaintLine(l);
        for (const Circle& c : d.circles)
            PaintCircle(c);
        for (const Text& t : d.texts)
            PaintText(t);
    }

  private:
    double Y(double y) const { return bottom_ - y; }

    void Stroke(const LayerStyle& s) {
        cairo_set_source_rgb(cr_, s.red, s.green, s.blue);
        cairo_set_line_width(cr_, s.lineWidth);
        if (s.dashed) {
            const double dashes[] = {1.5, 1.0};
            cairo_set_dash(cr_, dashes, 2, 0);
        } else {
            cairo_set_dash(cr_, nullptr, 0, 0);
        }
        cairo_stroke(cr_);
    }

    void Path(const std::vector<Point>& points) {
        for (size_t i = 0; i < points.size(); ++i)
            (i == 0 ? cairo_move_to : cairo_line_to)(cr_, points[i].x, Y(points[i].y));
    }

    void PaintLine(const Polyline& l) {
        if (l.points.size() < 2) return;
        Path(l.points);
        Stroke(StyleOf(l.layer));
    }

    void PaintArea(const Area& a) {
        if (a.points.size() < 3) return;
        const LayerStyle s = StyleOf(a.layer);
        Path(a.points);
        cairo_close_path(cr_);
        cairo_set_source_rgb(cr_, s.fillRed, s.fillGreen, s.fillBlue);
        const bool outlined = s.fillRed != s.red || s.fillGreen != s.green || s.fillBlue != s.blue;
        if (!outlined) {
            cairo_fill(cr_);
            return;
        }
        cairo_fill_preserve(cr_);
        Stroke(s);
    }

    void PaintCircle(const Circle& c) {
        const LayerStyle s = StyleOf(c.layer);
        cairo_new_sub_path(cr_);
        cairo_arc(cr_, c.centre.x, Y(c.centre.y), c.radius, 0, 2 * M_PI);
        if (c.filled) {
            cairo_set_source_rgb(cr_, s.red, s.green, s.blue);
            cairo_fill(cr_);
        } else {
            // White inside, so a manhole stands over the line that ends in it.
            cairo_set_source_rgb(cr_, 1, 1, 1);
            cairo_fill_preserve(cr_);
            Stroke(s);
        }
    }

    // The baseline sits a fifth of the height above the box's lower side, so that capitals
    // and descenders stay inside it.
    void PaintText(const Text& t) {
        if (t.text.empty()) return;
        const Box b = TextBox(t);
        const LayerStyle s = StyleOf(t.layer);
        const std::string utf8 = toUtf8(t.text);
        cairo_save(cr_);
        cairo_set_source_rgb(cr_, s.red, s.green, s.blue);
        if (t.rotation == 90) {
            cairo_translate(cr_, b.x1 - 0.2 * t.height, Y(b.y0));
            cairo_rotate(cr_, -M_PI / 2);
        } else {
            cairo_translate(cr_, b.x0, Y(b.y0 + 0.2 * t.height));
        }
        cairo_scale(cr_, t.height * squeeze_, t.height);
        cairo_move_to(cr_, 0, 0);
        cairo_show_text(cr_, utf8.c_str());
        cairo_restore(cr_);
    }

    cairo_t* cr_;
    double squeeze_ = 1;
    double bottom_ = 0;
};

// The size of the sheet the pages stack on: the widest page across, every page down with
// a gap between them.
void StackSize(const std::vector<const Drawing*>& pages, double& width, double& height) {
    width = height = 0;
    for (const Drawing* d : pages) {
        width = std::max(width, d->width);
        height += d->height;
    }
    height += kStackGap * static_cast<double>(pages.size() - 1);
}

bool Paint(const std::vector<const Drawing*>& pages, PageFormat format, const std::string& temp,
           const PaperWriteOptions& o, cairo_font_face_t* font) {
    cairo_surface_t* surface = nullptr;
    double width = 0, height = 0;
    StackSize(pages, width, height);
    double unit = kPointsPerMm;
    switch (format) {
        case PageFormat::Pdf:
            surface = cairo_pdf_surface_create(temp.c_str(), pages.front()->width * unit,
                                               pages.front()->height * unit);
            break;
        case PageFormat::Svg:
            // Sizes in millimetres: the file says so and opens at the paper's size.
            unit = 1;
            surface = cairo_svg_surface_create(temp.c_str(), width, height);
            cairo_svg_surface_set_document_unit(surface, CAIRO_SVG_UNIT_MM);
            break;
        case PageFormat::Png:
            unit = o.pngDotsPerMm;
            surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24,
                                                 static_cast<int>(std::ceil(width * unit)),
                                                 static_cast<int>(std::ceil(height * unit)));
            break;
    }
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return false;
    }
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, unit, unit);
    if (format != PageFormat::Pdf) {
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
    }
    Painter painter(cr, font);
    double top = 0;
    for (size_t i = 0; i < pages.size(); ++i) {
        const Drawing& d = *pages[i];
        if (format == PageFormat::Pdf) {
            if (i > 0) {
                cairo_show_page(cr);
                cairo_pdf_surface_set_size(surface, d.width * kPointsPerMm,
                                           d.height * kPointsPerMm);
            }
            painter.Paint(d, 0);
        } else {
            painter.Paint(d, top);
            top += d.height + kStackGap;
        }
    }
    bool ok = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(cr);
    if (format == PageFormat::Png)
        ok = ok && cairo_surface_write_to_png(surface, temp.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_finish(surface);
    ok = ok && cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok;
}

}  // namespace

std::string DrawingFontIn(const std::string& programFolder) {
    return (std::filesystem::path(programFolder) / shell::kFontFileName).string();
}

bool WriteDrawings(const std::vector<const Drawing*>& pages, PageFormat format,
                   const std::string& path, const PaperWriteOptions& options, std::string* error) {
    if (pages.empty()) {
        *error = "No hay nada que dibujar en " + path;
        return false;
    }
    if (format == PageFormat::Png) {
        double width = 0, height = 0;
        StackSize(pages, width, height);
        const double most = std::max(width, height) * options.pngDotsPerMm;
        if (most > kMostPngDots) {
            *error = "El dibujo es demasiado grande para una imagen PNG (" +
                     std::to_string(static_cast<long>(most)) +
                     " puntos de lado); use PDF o SVG: " + path;
            return false;
        }
    }
    const FontFace font = LoadFont(options.fontFile);
    if (!font) {
        *error = FontFailure(options.fontFile);
        return false;
    }
    return project::WriteThroughTempFile(
        path,
        [&](const std::string& temp) { return Paint(pages, format, temp, options, font.get()); },
        error);
}

}  // namespace nivex::drawings
