#pragma once
// The pages of the design listings: the frame of every listing (range of sheets kept,
// footer, viewer) with the design page header in place of the standard one. The design
// header names the owner entity, the project and its consultant, the method and the
// design class; the flows and junction headers are shorter forms of it.
//
//     DesignPages pages(session, HeaderKind::Design, title, 127);
//     pages.heading = [&] { ... };
//     if (!pages.Begin()) return;
//     for (...)
//         if (!pages.Row(row)) break;
//     pages.Finish([&] { pages.Line(note); });

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace nivex::shell {
struct Session;
}

namespace nivex::design {

enum class HeaderKind {
    Design,     // hydraulic and physical listings: conventions and conduit note
    Flows,      // sanitary and storm flows
    Junctions,  // energy junctions: the flows header and the junction conventions
};

// The lines of a design page header for sheet `sheet`, each as it stands after the
// margin (code-page bytes, without the emphasis codes).
std::vector<std::string> DesignHeaderLines(const shell::Session& s, HeaderKind kind,
                                           std::string_view title, int width, int sheet);

// "METODO FLUJO UNIFORME", or the routing method of the hydraulic model classes.
std::string MethodText(const shell::Session& s);
// "Tipo: ..." of the design class; empty for no class.
std::string ClassText(int designClass);

class DesignPages {
  public:
    DesignPages(shell::Session& session, HeaderKind kind, std::string title, int width);
    ~DesignPages();
    DesignPages(const DesignPages&) = delete;
    DesignPages& operator=(const DesignPages&) = delete;

    std::function<void()> heading;     // the table heading after every page header
    std::function<void()> closeTable;  // closes the open table before a footer
    std::string viewerTitle;

    bool Begin();
    // Breaks the page when full; false when the listing must end now.
    bool BeforeLine();
    bool Row(std::string_view text);
    // Ends the page at once and starts the next with another title (a new part of the
    // listing). False when the listing must end now.
    bool NewPage(std::string title);
    void Line(std::string_view text);
    bool Finish(const std::function<void()>& closing = {});

    bool stopped() const { return stopped_; }
    int margin() const { return margin_; }
    int width() const { return width_; }

  private:
    void StartPage();
    bool EndPage();
    bool FileFailed();
    void Abort();

    shell::Session& session_;
    HeaderKind kind_;
    std::string title_;
    int width_;
    int margin_ = 0;
    bool open_ = false;
    bool stopped_ = false;
    std::string error_;
};

}  // namespace nivex::design
