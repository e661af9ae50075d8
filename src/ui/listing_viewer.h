#pragma once
// The listing viewer "Visor de listados".

#include <string>

namespace nivex::ui {

class ListingViewer {
  public:
    virtual ~ListingViewer() = default;
    // Shows the listing file modally; returns when the viewer is closed. title: code-page
    // bytes; file: a native path.
    virtual void ShowListing(const std::string& file, const std::string& title) = 0;
};

}  // namespace nivex::ui
