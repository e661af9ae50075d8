#pragma once
// Font registration, the system's "open" action and the about box.

#include <QPointer>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <vector>

#include "ui/desktop.h"

namespace nivex::qt {

// The face the listing viewer asks for; the registered file's face stands in for it.
constexpr const char* kListingFace = "Courier Dos";

class QtDesktop : public ui::Desktop {
  public:
    explicit QtDesktop(QWidget* owner = nullptr) : owner_(owner) {}
    void setOwner(QWidget* owner) { owner_ = owner; }

    bool registerListingFont(const std::string& path) override;
    ui::OpenResult openDocument(const std::string& path) override;
    void showAbout() override;
    bool moveToTrash(const std::string& path) override;

    // The system's "open" action; scripted runs of the program replace it.
    std::function<bool(const QUrl&)> openUrl;

  private:
    QPointer<QWidget> owner_;
    std::vector<int> fonts_;  // registrations of this run
};

}  // namespace nivex::qt
