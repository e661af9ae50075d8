// The verbs about listings: showing and printing a listing file, and writing the
// listings of a sector without the viewer.

#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <optional>

#include "cli/batch_context.h"
#include "console/codepage.h"
#include "listings/listing_catalog.h"
#include "project/replace_file.h"
#include "summary/summary_listings.h"

namespace nivex::cli {
namespace {

bool ParseCount(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value >= 0;
}

// Where a listing goes in a batch run instead of the viewer: a copy of the file, a PDF,
// or standard output as the viewer would show it.
class BatchListingOutput : public ui::ListingViewer {
  public:
    explicit BatchListingOutput(Batch& b) : b_(b) {}

    void ShowListing(const std::string& file, const std::string&) override {
        shown_ = true;
        const std::string out = b_.options.value("--out");
        const std::string pdf = b_.options.value("--pdf");
        if (!out.empty() && !CopyFile(file, out)) ok_ = false;
        if (!pdf.empty() && !WritePdf(b_, file, pdf)) ok_ = false;
        if (out.empty() && pdf.empty() && !WriteShown(b_, file)) ok_ = false;
    }

    bool shown() const { return shown_; }
    bool ok() const { return ok_; }

  private:
    bool CopyFile(const std::string& from, const std::string& to) {
        const std::string failure = CopyOut(from, to);
        if (!failure.empty()) b_.err << failure << '\n';
        return failure.empty();
    }

    Batch& b_;
    bool shown_ = false;
    bool ok_ = true;
};

// The identification dialog of the summary answered from the command line: "SI" with the
// text given, or with the stored one.
class BatchIdentification : public ui::IdentificationDialog {
  public:
    explicit BatchIdentification(const Batch& b) : b_(b) {}
    char run(std::string& text) override {
        if (b_.options.has("--identificacion")) text = cp(b_.options.value("--identificacion"));
        return 'S';
    }

  private:
    const Batch& b_;
};

// "SSNSSNNS": one answer per optional entry of the index.
bool ParseIndexAnswers(const std::string& text, summary::IndexAnswers& answers) {
    if (text.size() != answers.size()) return false;
    for (size_t k = 0; k < text.size(); ++k) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(text[k])));
        if (c != 'S' && c != 'N') return false;
        answers[k] = c == 'S';
    }
    return true;
}

}  // namespace

int VerbList(Batch& b) {
    if (b.options.operands.size() != 1)
        return b.Fail("Error: list necesita la clave del listado (por ejemplo 4A)");
    std::string key = b.options.operands[0];
    for (char& c : key)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const listings::ListingDef* def = listings::FindListing(key);
    if (!def) return b.Fail("Error: listado desconocido: " + key);
    // The answers of two dialogs belong to their listings only.
    if (b.options.has("--identificacion") && key != "ZA")
        return b.Fail("Error: --identificacion es solo del listado ZA");
    if (b.options.has("--opciones") && key != "ZB")
        return b.Fail("Error: --opciones es solo del listado ZB");
    std::optional<summary::IndexAnswers> indexAnswers;
    if (key == "ZB" && b.options.has("--opciones")) {
        indexAnswers.emplace();
        if (!ParseIndexAnswers(b.options.value("--opciones"), *indexAnswers))
            return b.Fail("Error: --opciones necesita " + std::to_string(summary::kIndexOptions) +
                          " letras S o N");
    }

    listings::ListingState& state = b.session.listing;
    state.rangePreset = true;
    for (auto [option, target] :
         {std::pair{"--from", &state.presetFirst}, std::pair{"--to", &state.presetLast},
          std::pair{"--min-size", &state.presetSize}}) {
        if (!b.options.has(option)) continue;
        if (!ParseCount(b.options.value(option), *target))
            return b.Fail(std::string("Error: ") + option + " debe ser un numero entero >= 0");
    }

    b.ui.setYes(true);  // the sector opens without asking
    if (int rc = b.OpenSector(false)) return rc;
    b.ui.setYes(b.options.yes);
    BatchListingOutput output(b);
    BatchIdentification identification(b);
    b.session.viewer = &output;
    b.session.identification = &identification;
    b.session.screen.clearLastMessage();
    if (key == "ZB")
        summary::ListIndexAnswered(b.session, indexAnswers);
    else
        def->run(b.session);
    b.session.viewer = nullptr;
    b.session.identification = nullptr;
    if (!output.shown()) {
        // Refused, or nothing in the range: a box has said so; a text-screen one is
        // repeated here, as nobody sees the screen.
        const std::string& said = b.session.screen.lastMessage();
        return b.Fail(said.empty() ? "Error: no se escribio el listado " + key : toUtf8(said));
    }
    return output.ok() ? 0 : 1;
}

}  // namespace nivex::cli
