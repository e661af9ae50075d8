#pragma once
// Drawings to files: PDF (a page each, the font embedded), SVG and PNG (the pages one under
// the other on one sheet). Written through a temporary file beside the target, so that a
// failure leaves the old file as it was.

#include <string>
#include <vector>

#include "drawings/drawing.h"

namespace nivex::drawings {

enum class PageFormat { Pdf, Svg, Png };

struct PaperWriteOptions {
    std::string fontFile;  // the monospace TrueType font every text is written in
    double pngDotsPerMm = 8;
};

// The font the program ships beside its executables ("Nivex.TTF" in programFolder).
std::string DrawingFontIn(const std::string& programFolder);

// False with *error (UTF-8, naming the file) when the font or the file fails, or when there
// is no page.
bool WriteDrawings(const std::vector<const Drawing*>& pages, PageFormat format,
                   const std::string& path, const PaperWriteOptions& options, std::string* error);

}  // namespace nivex::drawings
