#pragma once
// Printing a listing file on a Windows printer or into a PDF through Qt.

#include <string>

class QWidget;

namespace nivex::ui {
class Ui;
}

namespace nivex::qt {

// Print dialog (a warning when no printer is installed), then the listing on the chosen
// printer. False when cancelled or failed; a failure shows "Error del Sistema Operativo -
// Reintente" through the ui.
bool PrintListingWithDialog(QWidget* parent, const std::string& listingFile, bool reportMode,
                            ui::Ui& ui);

// Prints the listing into a PDF file through QPrinter's PDF output. False with a Spanish
// error naming the file.
bool PrintListingToPdfQt(const std::string& listingFile, const std::string& pdfFile,
                         bool reportMode, std::string* error);

}  // namespace nivex::qt
