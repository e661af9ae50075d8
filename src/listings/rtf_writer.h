#pragma once
// The viewer's text saved as rich text: the listing face at the viewer's size, the
// emphasised parts red.

#include <string>
#include <string_view>
#include <vector>

#include "listings/viewer_model.h"

namespace nivex::listings {

// The face a reader uses when it lacks the listing face: every word processor has it, it
// is fixed pitch and it draws the line characters.
inline constexpr std::string_view kRtfFallbackFace = "Courier New";

// The RTF document of the lines; face is the font's name (ASCII).
std::string RtfDocument(const std::vector<ShownLine>& lines, std::string_view face, int points);

// Writes the document to a temporary file beside `path` and renames it over `path`. False
// with a Spanish error naming the file (code-page bytes); `path` is then left as it was.
bool WriteRtfFile(const std::string& path, const std::vector<ShownLine>& lines,
                  std::string_view face, int points, std::string& error);

}  // namespace nivex::listings
