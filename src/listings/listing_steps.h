#pragma once
// The frame every listing is written in: the file, the pages with their header, table
// heading and footer, the range of sheets kept, the viewer at the end. A listing gives
// its heading and rows; the page logic stays here.
//
//     ListingRun run(session, title, 124);
//     run.heading = [&] { run.Line(...); };
//     if (!run.Begin()) return;
//     for (...)
//         if (!run.Row(FormatLine(picture, {...}))) break;
//     run.Finish([&] { run.Line(totals); });

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace nivex::shell {
struct Session;
}

namespace nivex::listings {

class ListingRun {
  public:
    // title: the page title (code-page bytes). A compact listing has no page header: its
    // pages are 42 lines at margin 30 and its heading draws what heads them.
    ListingRun(shell::Session& session, std::string title, int width, bool compact = false);
    ~ListingRun();
    ListingRun(const ListingRun&) = delete;
    ListingRun& operator=(const ListingRun&) = delete;

    // The listing's table heading, written after every page header.
    std::function<void()> heading;
    // Closes the open table before a page footer.
    std::function<void()> closeTable;
    // The title the viewer shows; the page title unless set.
    std::string viewerTitle;
    // A page header in place of the standard one (not for a compact listing): the lines
    // for the page title and the sheet number, each as it stands after the margin
    // (code-page bytes). They follow the standard page set-up; the first four are
    // emphasised, as the standard header's four lines are.
    std::function<std::vector<std::string>(std::string_view title, int sheet)> pageHeader;

    // Opens the listing and writes the first page header and heading. False after an
    // error message when the file cannot be created.
    bool Begin();
    // Call before each body line: breaks the page when it is full. False when the listing
    // must end now (the last sheet asked for is done, or a file error): no more rows.
    bool BeforeLine();
    // BeforeLine, then the text at the margin. False as BeforeLine; nothing is written.
    bool Row(std::string_view text);
    // Ends the page at once and starts the next with another title (a new part of the
    // listing). False when the listing must end now.
    bool NewPage(std::string title);

    // Lines without a page check (headings, table closings, closing lines), each counted
    // on the page. Nothing is written once the listing has stopped.
    void Line(std::string_view text);  // the text at the margin
    void Centred(std::string_view text);
    void WriteBuffer();  // the line buffer as the caller built it

    // Closing lines (unless the listing stopped) and the footer, then the viewer. False
    // when nothing was shown: an empty range (warned) or a file error (reported).
    bool Finish(const std::function<void()>& closing = {});

    bool stopped() const { return stopped_; }
    int margin() const { return margin_; }
    int width() const { return width_; }  // raised to 90 by the page header
    const std::string& title() const { return title_; }

  private:
    void StartPage();
    void DrawPageHeader();
    bool EndPage();
    bool FileFailed();
    void Abort();

    shell::Session& session_;
    std::string title_;
    int width_;
    int margin_ = 0;
    bool compact_;
    bool open_ = false;
    bool stopped_ = false;
    std::string error_;
};

}  // namespace nivex::listings
