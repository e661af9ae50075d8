#pragma once
// The confirmation dialog asked before the project summary and the comparison of
// alternatives: an optional text that identifies the listing, and whether to list.

#include <string>

namespace nivex::ui {

class IdentificationDialog {
  public:
    virtual ~IdentificationDialog() = default;
    // Shows the dialog modally with text (code page) in its field. 'S' for "SI", 'N' for
    // "NO"; either button leaves the edited text in text (at most 55 characters). Closed
    // without a button: 'N' and text untouched.
    virtual char run(std::string& text) = 0;
};

}  // namespace nivex::ui
