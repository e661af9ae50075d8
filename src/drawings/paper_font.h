#pragma once
// The program's TrueType font as a cairo face, for the paper writers only: this header
// brings cairo's types, so nothing outside src/drawings/paper_*.cpp includes it.

#include <cairo.h>

#include <memory>
#include <string>

namespace nivex::drawings {

struct FontFaceDeleter {
    void operator()(cairo_font_face_t* f) const { cairo_font_face_destroy(f); }
};
using FontFace = std::unique_ptr<cairo_font_face_t, FontFaceDeleter>;

// The face of the font file, null when it cannot be read as a font. bold: strokes made
// heavier by cairo, for a font that has no bold of its own. Each call loads the file
// anew, so a bold face never changes a regular one cairo may hold in its caches.
FontFace LoadFont(const std::string& file, bool bold = false);

// "Falta el archivo <file> o no es una letra TrueType" (UTF-8).
std::string FontFailure(const std::string& file);

}  // namespace nivex::drawings
