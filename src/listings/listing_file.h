#pragma once
// The listing file "LPT" (and "LPTD", where the sheets before the first one asked for go),
// the line buffer that fills it, and the page set-up, header and footer shared by every
// listing. The state lives in session.listing; session.listing.file is the target.

#include <string>
#include <string_view>

#include "listings/text_file.h"

namespace nivex::shell {
struct Session;
}

namespace nivex::listings {

constexpr int kMaxLineLength = 255;
constexpr int kHeaderLines = 9;  // five empty lines and four header lines
constexpr int kStandardLinesPerPage = 89;
constexpr int kCompactLinesPerPage = 42;
constexpr int kCompactMargin = 30;
constexpr int kMinimumPageWidth = 90;

// Control codes inside listing lines.
constexpr char kEsc = 27;
constexpr char kEndOfPage = 19;
constexpr unsigned char kDoubleLine = 205;

// "PROYECTO :  " and the project name, cut at 37, with " - sector #n" in a sector of a
// project with sectors: the first text of every page header.
std::string ProjectText(const shell::Session& session);

// The line buffer.
void LineReset(shell::Session& session);
// The next text goes to column n + 1.
void LineTab(shell::Session& session, int n);
// Puts text at the current column (blanks before it when the line is shorter, whatever
// stood from there on is dropped); the column moves past the text.
void LinePut(shell::Session& session, std::string_view text);
// The buffer and CR LF into the listing file (or another file); the buffer is kept.
void LineWrite(shell::Session& session);
void LineWriteTo(shell::Session& session, TextFile& file);

void EmphasisOn(TextFile& file);
void EmphasisOff(TextFile& file);

// Gives back the margin for the page width and sets LinesPerPage; the standard set-up
// writes the five empty lines that open a page.
int PageSetup(shell::Session& session, TextFile& file, int width, bool compact);
// The page set-up and the four header lines with the sheet number, which then grows by
// one. width is raised to 90 when smaller; margin is given back.
void PageHeader(shell::Session& session, std::string_view title, int& width, int& margin);
void PageHeader(shell::Session& session, std::string_view title, int& width, int& margin,
                TextFile& target);
void PageFooter(shell::Session& session, int margin, int width);
void CentredLine(shell::Session& session, int margin, int width, std::string_view text);

// Native paths of "LPT" and "LPTD" in the project subfolder.
std::string ListingPath(const shell::Session& session);
std::string SkipPath(const shell::Session& session);

// Each closes the file open and creates its own empty; false when it cannot be created
// (session.listing.file.error() says why).
bool OpenListingFile(shell::Session& session);
bool OpenSkipFile(shell::Session& session);
// "LPTD" when sheets are to be skipped, otherwise "LPT".
bool OpenListing(shell::Session& session);
// At a page break, after the footer: switches to "LPT" when the first sheet kept is next.
// True ("stop") when the sheet just finished ends the range, or the file failed.
bool PageBreakCheck(shell::Session& session);
void CloseListing(shell::Session& session);
// False (after a warning, with the files removed) when no sheet reached "LPT".
bool CheckListingNotEmpty(shell::Session& session);
void RemoveListingFiles(const shell::Session& session);

}  // namespace nivex::listings
