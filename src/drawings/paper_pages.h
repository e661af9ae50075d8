#pragma once
// Pages of fixed-pitch text to a PDF file, in the program's own font (embedded), with
// filled and hatched boxes and straight lines: what a printed listing needs. Written
// through a temporary file beside the target, so that a failure leaves the old file.
//
// Positions are in points from the top left corner of the page.

#include <memory>
#include <string>
#include <string_view>

namespace nivex::drawings {

class PaperPages {
  public:
    PaperPages();
    // A document not finished is dropped with its temporary file.
    ~PaperPages();
    PaperPages(const PaperPages&) = delete;
    PaperPages& operator=(const PaperPages&) = delete;

    // Starts the document on its first page, every page width x height points. False with
    // *error (UTF-8, naming the file) when the font or the temporary file fails.
    bool Open(const std::string& path, const std::string& fontFile, double width, double height,
              std::string* error);
    // False once anything drawn so far has failed.
    bool Good() const;

    void NewPage();

    // The face at `size` points, each character `advance` points wide: the characters of a
    // text sit in cells of that width whatever the font's own advance is.
    void SetFont(double size, double advance, bool bold);
    // The characters of utf8 from x on, their baseline at y.
    void Text(double x, double y, std::string_view utf8);
    // A box filled with a grey (0 black, 1 white).
    void Fill(double x, double y, double width, double height, double grey);
    // A box crossed by black lines `step` apart and `lineWidth` wide, square or turned by
    // 45 degrees. The lines lie at fixed places of the page, so that they run on through
    // boxes side by side.
    void Hatch(double x, double y, double width, double height, bool diagonal, double step,
               double lineWidth);
    // A black line with flat ends.
    void Line(double x0, double y0, double x1, double y1, double width);

    // Ends the document and puts it in place of the target. False with *error (UTF-8,
    // naming the file), the temporary file removed and the old file left as it was.
    bool Finish(std::string* error);

  private:
    struct State;
    std::unique_ptr<State> s_;
};

}  // namespace nivex::drawings
