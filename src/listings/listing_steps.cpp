#include "listings/listing_steps.h"

#include "listings/listing_file.h"
#include "shell/session.h"

namespace nivex::listings {

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
    } else {
        PageHeader(session_, title_, width_, margin_);
        st.PageLine = kHeaderLines;
    }
    if (heading) heading();
}

bool ListingRun::BeforeLine() {
    if (stopped_) return false;
    ListingState& st = session_.listing;
    if (st.PageLine < st.LinesPerPage) return true;
    if (closeTable) closeTable();
    PageFooter(session_, margin_, width_);
    st.PageLine = compact_ ? 0 : kHeaderLines;
    if (FileFailed()) return false;
    const bool stop = PageBreakCheck(session_);
    if (FileFailed() || stop) {
        stopped_ = true;
        return false;
    }
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
