#include "listings/listing_catalog.h"

namespace nivex::listings {

const std::vector<ListingDef>& Listings() {
    // The listing modules add their entries here as they are built.
    static const std::vector<ListingDef> listings = {};
    return listings;
}

const ListingDef* FindListing(std::string_view key) {
    for (const ListingDef& def : Listings())
        if (key == def.key) return &def;
    return nullptr;
}

}  // namespace nivex::listings
