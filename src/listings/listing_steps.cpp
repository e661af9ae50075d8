#include "listings/listing_steps.h"

#include <algorithm>

#include "listings/listing_file.h"
#include "shell/session.h"

namespace nivex::listings {
namespace {

constexpr int kSetUpLines = 5;          // the empty lines the standard page set-up writes
constexpr size_t kEmphasisedLines = 4;  // as many as the standard header has

}  // namespace

ListingRun::ListingRun(shell::Session& session, std::string title, int width, bool compact)
    : viewerTitle(title),
      session_(session),
      title_(std::move(title)),
      width_(width),
      compact_(compact) {}

ListingRun::~ListingRun() {
    // A listing left half way (an early return, an exception) leaves no files behind.
    if (!open_) return;
    CloseListing(session_);
    RemoveListingFiles(session_);
}

bool ListingRun::Begin() {
    RemoveListingFiles(session_);  // a listing always starts from empty files
    stopped_ = false;
    error_.clear();
    open_ = true;
    session_.listing.SheetNumber = 1;
    if (OpenListing(session_)) StartPage();
    if (!FileFailed()) return true;
    Abort();
    return false;
}

void ListingRun::StartPage() {
    ListingState& st = session_.listing;
    if (compact_) {
        margin_ = PageSetup(session_, st.file, width_, true);
        ++st.SheetNumber;  // no header counts the sheet
        st.PageLine = 0;
    } else if (pageHeader) {
        DrawPageHeader();
    } else {
        PageHeader(session_, title_, width_, margin_);
        st.PageLine = kHeaderLines;
    }
    if (heading) heading();
}

// The standard set-up with the listing's own header lines in place of the four standard
// ones.
void ListingRun::DrawPageHeader() {
    ListingState& st = session_.listing;
    width_ = std::max(width_, kMinimumPageWidth);
    margin_ = PageSetup(session_, st.file, width_, false);
    const std::vector<std::string> lines = pageHeader(title_, st.SheetNumber);
    EmphasisOn(st.file);
    for (size_t k = 0; k < lines.size(); ++k) {
        LineReset(session_);
        LineTab(session_, margin_);
        LinePut(session_, lines[k]);
        LineWrite(session_);
        if (k + 1 == kEmphasisedLines) EmphasisOff(st.file);
    }
    if (lines.size() < kEmphasisedLines) EmphasisOff(st.file);
    ++st.SheetNumber;
    st.PageLine = kSetUpLines + static_cast<int>(lines.size());
}

// The footer and the range check; false when the listing must end here.
bool ListingRun::EndPage() {
    ListingState& st = session_.listing;
    if (closeTable) closeTable();
    PageFooter(session_, margin_, width_);
    st.PageLine = compact_ ? 0 : kHeaderLines;
    if (FileFailed()) return false;
    const bool stop = PageBreakCheck(session_);
    if (FileFailed() || stop) {
        stopped_ = true;
        return false;
    }
    return true;
}

bool ListingRun::BeforeLine() {
    if (stopped_) return false;
    ListingState& st = session_.listing;
    if (st.PageLine < st.LinesPerPage) return true;
    if (!EndPage()) return false;
    StartPage();
    return !FileFailed();
}

bool ListingRun::NewPage(std::string title) {
    if (stopped_) return false;
    if (!EndPage()) return false;
    title_ = std::move(title);
    StartPage();
    return !FileFailed();
}

bool ListingRun::Row(std::string_view text) {
    if (!BeforeLine()) return false;
    Line(text);
    return true;
}

void ListingRun::Line(std::string_view text) {
    if (stopped_) return;
    LineReset(session_);
    LineTab(session_, margin_);
    LinePut(session_, text);
    WriteBuffer();
}

void ListingRun::Centred(std::string_view text) {
    if (stopped_) return;
    CentredLine(session_, margin_, width_, text);
    ++session_.listing.PageLine;
}

void ListingRun::WriteBuffer() {
    if (stopped_) return;
    LineWrite(session_);
    ++session_.listing.PageLine;
}

bool ListingRun::Finish(const std::function<void()>& closing) {
    if (!open_) return false;  // Begin failed and said so
    if (!stopped_ && !FileFailed()) {
        if (closing) closing();
        if (!stopped_) PageFooter(session_, margin_, width_);
    }
    CloseListing(session_);
    if (FileFailed()) {
        Abort();
        return false;
    }
    open_ = false;
    if (!CheckListingNotEmpty(session_)) return false;
    if (session_.viewer) session_.viewer->ShowListing(ListingPath(session_), viewerTitle);
    RemoveListingFiles(session_);
    return true;
}

// Remembers the first file failure (the skip file's is lost when "LPT" is created) and
// ends the listing there.
bool ListingRun::FileFailed() {
    if (error_.empty() && session_.listing.file.failed()) error_ = session_.listing.file.error();
    if (!error_.empty()) stopped_ = true;
    return !error_.empty();
}

// Nothing of a failed listing is kept; the message names the file.
void ListingRun::Abort() {
    CloseListing(session_);
    RemoveListingFiles(session_);
    open_ = false;
    session_.ui.showError(error_, "Error");
}

}  // namespace nivex::listings
