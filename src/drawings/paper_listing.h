#pragma once
// Printed listings to PDF: carta pages of the listing's sheets in the program's own font,
// embedded, so that the file shows the same on every machine.

#include <string>

namespace nivex::drawings {

// Prints a listing file into a PDF file, through a temporary file beside it, so that a
// failure leaves no half-written PDF. fontFile: the program's TrueType font. False with
// *error (UTF-8) naming the file that failed; pages receives the number of pages.
bool PrintListingToPdf(const std::string& listingFile, const std::string& pdfFile,
                       const std::string& fontFile, bool reportMode, std::string* error,
                       int* pages = nullptr);

}  // namespace nivex::drawings
