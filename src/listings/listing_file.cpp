#include "listings/listing_file.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "shell/session.h"

namespace nivex::listings {

namespace {

constexpr std::string_view kEmphasisOn = "\x1bG";
constexpr std::string_view kEmphasisOff = "\x1bH";
constexpr std::string_view kStars = "******";

std::string DoubleLine(int width) {
    return std::string(static_cast<size_t>(std::max(width, 0)), static_cast<char>(kDoubleLine));
}

}  // namespace

// "PROYECTO :  " and the name, cut at 37, and the sector of a sector project.
std::string ProjectText(const shell::Session& session) {
    std::string text = "PROYECTO :  " + session.project.header.ProjectName;
    if (text.size() > 37) text.resize(37);
    const std::string& extension = session.project.files.extension();
    const char sector = extension.empty() ? '0' : extension.back();
    if (sector > '0' && sector <= '9' && session.project.selection.sectors == "1")
        text += std::string(" - sector #") + sector;
    return text;
}

void LineReset(shell::Session& session) {
    session.listing.line.clear();
    session.listing.column = 1;
}

void LineTab(shell::Session& session, int n) {
    session.listing.column = n + 1;
}

void LinePut(shell::Session& session, std::string_view text) {
    ListingState& st = session.listing;
    const auto keep = static_cast<size_t>(std::clamp(st.column - 1, 0, kMaxLineLength));
    st.line.resize(keep, ' ');
    st.line.append(text.substr(0, kMaxLineLength - keep));
    st.column += static_cast<int>(text.size());
}

void LineWrite(shell::Session& session) {
    session.listing.file.WriteLine(session.listing.line);
}

void LineWriteTo(shell::Session& session, TextFile& file) {
    file.WriteLine(session.listing.line);
}

void EmphasisOn(TextFile& file) {
    file.Write(kEmphasisOn);
    file.Flush();
}

void EmphasisOff(TextFile& file) {
    file.Write(kEmphasisOff);
    file.Flush();
}

int PageSetup(shell::Session& session, TextFile& file, int width, bool compact) {
    if (compact) {
        session.listing.LinesPerPage = kCompactLinesPerPage;
        return kCompactMargin;
    }
    for (int i = 0; i < 5; ++i)
        file.WriteLine("");
    session.listing.LinesPerPage = kStandardLinesPerPage;
    // Centred on a print line of 137 columns, four columns further right up to 128.
    return width <= 128 ? (137 - width) / 2 + 4 : (137 - width) / 2;
}

void PageHeader(shell::Session& session, std::string_view title, int& width, int& margin) {
    PageHeader(session, title, width, margin, session.listing.file);
}

void PageHeader(shell::Session& session, std::string_view title, int& width, int& margin,
                TextFile& target) {
    width = std::max(width, kMinimumPageWidth);
    margin = PageSetup(session, target, width, false);
    EmphasisOn(target);

    const std::string project = ProjectText(session);
    const std::string& date = session.project.header.ProjectDate;
    const int projectLength = static_cast<int>(project.size());
    const int dateLength = static_cast<int>(date.size());
    LineReset(session);
    LineTab(session, margin);
    LinePut(session, project);
    LineTab(session, margin + projectLength + (width - projectLength - dateLength - 10) / 2);
    LinePut(session, date);
    LineTab(session, margin + width - 10);
    LinePut(session, "HOJA No." + std::to_string(session.listing.SheetNumber));
    LineWriteTo(session, target);

    LineReset(session);
    LineTab(session, margin);
    LinePut(session, DoubleLine(width));
    LineWriteTo(session, target);

    LineReset(session);
    LineTab(session, margin);
    LinePut(session, kStars);
    LineTab(session, margin + (width - static_cast<int>(title.size())) / 2);
    LinePut(session, title);
    LineTab(session, margin + width - 6);
    LinePut(session, kStars);
    LineWriteTo(session, target);

    LineReset(session);
    LineTab(session, margin);
    LinePut(session, DoubleLine(width));
    LineWriteTo(session, target);

    EmphasisOff(target);
    ++session.listing.SheetNumber;
}

void PageFooter(shell::Session& session, int margin, int width) {
    TextFile& file = session.listing.file;
    EmphasisOn(file);
    LineReset(session);
    LineTab(session, margin);
    LinePut(session, DoubleLine(width));
    LineWrite(session);
    EmphasisOff(file);
    file.WriteLine(std::string_view(&kEndOfPage, 1));
}

void CentredLine(shell::Session& session, int margin, int width, std::string_view text) {
    LineReset(session);
    LineTab(session, margin + (width - static_cast<int>(text.size())) / 2);
    LinePut(session, text);
    LineWrite(session);
}

std::string ListingPath(const shell::Session& session) {
    return session.project.files.folder() + "LPT";
}

std::string SkipPath(const shell::Session& session) {
    return session.project.files.folder() + "LPTD";
}

bool OpenListingFile(shell::Session& session) {
    return session.listing.file.Create(ListingPath(session));
}

bool OpenSkipFile(shell::Session& session) {
    return session.listing.file.Create(SkipPath(session));
}

bool OpenListing(shell::Session& session) {
    return session.listing.FirstSheet > 1 ? OpenSkipFile(session) : OpenListingFile(session);
}

bool PageBreakCheck(shell::Session& session) {
    ListingState& st = session.listing;
    if (st.file.failed()) return true;
    if (st.SheetNumber == st.FirstSheet && !OpenListingFile(session)) return true;
    return st.LastSheet != 0 && st.SheetNumber - 1 >= st.LastSheet;
}

void CloseListing(shell::Session& session) {
    session.listing.file.Close();
}

bool CheckListingNotEmpty(shell::Session& session) {
    std::error_code ec;
    if (std::filesystem::exists(ListingPath(session), ec)) return true;
    RemoveListingFiles(session);
    session.ui.showWarning("No hay nada para imprimir en el rango seleccionado", "Advertencia");
    return false;
}

void RemoveListingFiles(const shell::Session& session) {
    std::error_code ec;
    std::filesystem::remove(ListingPath(session), ec);
    std::filesystem::remove(SkipPath(session), ec);
}

}  // namespace nivex::listings
