#pragma once
// The plan and the profiles of a sector written to a file, as the batch verbs and the
// drawings window both write them: the plan at a chosen scale on a chosen paper (or the
// largest round scale that fits it), the profiles of every collector line or of the path
// between two manholes laid out on sheets.

#include <string>
#include <string_view>

#include "drawings/drawing_inputs.h"
#include "drawings/paper_writer.h"
#include "drawings/plan.h"
#include "drawings/profile_sheets.h"

namespace nivex::drawings {

// The largest scale denominator taken: 1:10 000 000 already puts a country on a sheet.
constexpr long kMostScale = 10000000;
// A scale written "1:N" or "N" (N whole, 1 to kMostScale, blanks around it ignored); false
// for anything else.
bool ReadScale(std::string_view text, int& scale);

// "carta", "oficio", "a3", "a1" as the batch verbs name the papers; false for another name.
bool PaperNamed(const std::string& name, Paper& paper);
const char* PaperName(Paper paper);

struct PlanFile {
    int scale = 0;  // 0: the largest round scale that fits the paper
    Paper paper = Paper::A1;
    PageFormat format = PageFormat::Pdf;
    std::string path;
    std::string fontFile;
};

struct PlanFileResult {
    int scale = 0;
    double width = 0, height = 0;  // mm
    bool schematic = false;
    size_t reaches = 0, manholes = 0;
};

// False with *error (UTF-8): a scale at which the network does not fit the paper (the
// message names the largest that fits), or the file that could not be written.
bool WritePlanFile(const DrawingInputs& in, const PlanFile& request, PlanFileResult& result,
                   std::string* error);

struct ProfilesFile {
    ProfileSheetOptions sheets;  // its header is taken from the inputs
    // Both empty: every collector line; otherwise the path down the flow between them (code
    // page).
    std::string from, to;
    PageFormat format = PageFormat::Pdf;
    std::string path;
    std::string fontFile;
};

struct ProfilesFileResult {
    size_t lines = 0, parts = 0, sheets = 0;
};

// False with *error (UTF-8): no path between the manholes, or the file not written.
bool WriteProfilesFile(const DrawingInputs& in, const ProfilesFile& request,
                       ProfilesFileResult& result, std::string* error);

}  // namespace nivex::drawings
