#pragma once
// The desktop services of a batch run: no fonts, documents or boxes; the trash is the
// user's freedesktop.org trash.

#include "ui/desktop.h"

namespace nivex::cli {

class BatchDesktop : public ui::Desktop {
  public:
    bool registerListingFont(const std::string&) override { return true; }
    ui::OpenResult openDocument(const std::string& path) override;
    void showAbout() override {}
    bool moveToTrash(const std::string& path) override;
};

}  // namespace nivex::cli
