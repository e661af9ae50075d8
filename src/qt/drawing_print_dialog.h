#pragma once
// "Imprimir plano" and "Imprimir perfiles": the file, its format (PDF or SVG), the paper and
// the scales, then the drawing written as nivex-batch plano and perfiles write it.

#include <QDialog>
#include <string>

#include "drawings/drawing_inputs.h"

class QComboBox;
class QLineEdit;

namespace nivex::qt {

class DrawingPrintDialog : public QDialog {
    Q_OBJECT

  public:
    enum class Kind { Plan, Profiles };
    // shownFrom/shownTo: the ends of the profile on the screen (code page); empty when none.
    DrawingPrintDialog(Kind kind, const drawings::DrawingInputs& inputs, std::string fontFile,
                       std::string shownFrom, std::string shownTo, QWidget* parent = nullptr);

    QLineEdit* fileField() const { return file_; }
    QComboBox* formatChoice() const { return format_; }
    QComboBox* paperChoice() const { return paper_; }
    QComboBox* scaleChoice() const { return scale_; }  // the plan's, or the horizontal one
    QComboBox* verticalChoice() const { return vertical_; }
    QComboBox* whichChoice() const { return which_; }
    // The last message shown (UTF-8), for the tests.
    const std::string& lastMessage() const { return message_; }
    // Whether message boxes are shown; the tests read lastMessage instead.
    bool quiet = false;

    // "Guardar": checks the fields and writes; true when the file was written.
    bool save();

  private:
    void browse();
    void tell(bool wrong, const std::string& text);

    Kind kind_;
    const drawings::DrawingInputs& inputs_;
    std::string fontFile_, shownFrom_, shownTo_;
    std::string message_;
    QLineEdit* file_ = nullptr;
    QComboBox* format_ = nullptr;
    QComboBox* paper_ = nullptr;
    QComboBox* scale_ = nullptr;
    QComboBox* vertical_ = nullptr;
    QComboBox* which_ = nullptr;
};

}  // namespace nivex::qt
