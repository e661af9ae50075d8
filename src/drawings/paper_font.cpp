#include "drawings/paper_font.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace nivex::drawings {
namespace {

// The FreeType library lives as long as the process: cairo may keep a face in its caches
// after the writer is done with it.
FT_Library FreeType() {
    static FT_Library library = [] {
        FT_Library l = nullptr;
        if (FT_Init_FreeType(&l) != 0) l = nullptr;
        return l;
    }();
    return library;
}

const cairo_user_data_key_t kFaceKey{};

}  // namespace

FontFace LoadFont(const std::string& file, bool bold) {
    FT_Library library = FreeType();
    FT_Face face = nullptr;
    if (!library || FT_New_Face(library, file.c_str(), 0, &face) != 0) return nullptr;
    cairo_font_face_t* f = cairo_ft_font_face_create_for_ft_face(face, 0);
    if (cairo_font_face_set_user_data(f, &kFaceKey, face, [](void* p) {
            FT_Done_Face(static_cast<FT_Face>(p));
        }) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(f);
        FT_Done_Face(face);
        return nullptr;
    }
    if (bold) cairo_ft_font_face_set_synthesize(f, CAIRO_FT_SYNTHESIZE_BOLD);
    return FontFace(f);
}

std::string FontFailure(const std::string& file) {
    return "Falta el archivo " + file + " o no es una letra TrueType";
}

}  // namespace nivex::drawings
