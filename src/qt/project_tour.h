#pragma once
// The walk through a whole project in the desktop program, as the manual tells it: a new
// project, its configuration, a simulated network, the controls, the design with its
// alternatives, the review, the SWMM run, the quantities, the prices, the budget and the
// summary, then leaving the program. The pictures of the manual are taken on the way.

#include <QString>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "qt/desktop_script.h"

namespace nivex::qt {

struct ProjectTour {
    // A picture of the manual: its name and the window it shows.
    std::function<void(const std::string& name, QWidget& shown)> picture;
    // A listing the viewer showed, by the caption of its menu item, and its text.
    std::function<void(const std::string& item, const QString& text)> listingShown;
    // A listing item the menu bar does not offer for this project.
    std::function<void(const std::string& item)> listingSkipped;
    // Every message box the walk answered: its caption and text.
    std::function<void(const QString& caption, const QString& text)> boxAnswered;
    // Steps added after the summary and before leaving.
    std::function<void(DesktopScript&)> beforeLeaving;

    void addTo(DesktopScript& script);

    // A menu item that shows a listing: its questions answered, its sheet box accepted,
    // the viewer read and closed, back at the main menu.
    void addListing(DesktopScript& script, const std::string& item);
};

// The listing items of the menu bar, in its order.
std::vector<std::string> ListingMenuItems();

}  // namespace nivex::qt
