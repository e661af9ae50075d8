#pragma once
// Every listing the program writes, by the keys of its menu-bar item ("4A", "7C", "YB"):
// one table for the main-menu modules and for nivex-batch's list verb.

#include <string_view>
#include <vector>

#include "shell/session.h"

namespace nivex::listings {

struct ListingDef {
    const char* key;    // main key and sub key
    const char* title;  // as in the menu bar (UTF-8)
    // Writes the listing of the open sector: its sheet-range box, its pages, the viewer.
    void (*run)(shell::Session& session);
};

const std::vector<ListingDef>& Listings();
const ListingDef* FindListing(std::string_view key);

}  // namespace nivex::listings
