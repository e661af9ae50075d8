#include "listings/listing_catalog.h"

#include "design/evolution_listing.h"
#include "network/general_listings.h"

namespace nivex::listings {

const std::vector<ListingDef>& Listings() {
    // The listing modules add their entries here as they are built.
    static const std::vector<ListingDef> listings = {
        {"4A", "Especificaciones", network::ListSpecifications},
        {"4B", "Datos Generales Tramos ", network::ListGeneralData},
        {"4C", "Datos Especiales Tramos", network::ListSpecialData},
        {"4D", "Resumen de los Tramos", network::ListSummary},
        {"4E", "Relacion Ordenada Tramos", network::ListReachRelation},
        {"4F", "Relacion Ordenada Pozos", network::ListManholeRelation},
        {"5B", "Listado Evolucion Diseño", design::ListEvolution},
    };
    return listings;
}

const ListingDef* FindListing(std::string_view key) {
    for (const ListingDef& def : Listings())
        if (key == def.key) return &def;
    return nullptr;
}

}  // namespace nivex::listings
