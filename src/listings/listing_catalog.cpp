#include "listings/listing_catalog.h"

#include "budget/budget_listings.h"
#include "design/design_listings.h"
#include "design/evolution_listing.h"
#include "design/revision.h"
#include "network/general_listings.h"
#include "quantities/classification_listing.h"
#include "quantities/price_form_listing.h"
#include "quantities/quantity_listing.h"
#include "quantities/stage_listing.h"
#include "summary/summary_listings.h"

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
        {"6B", "Listado Problemas Encontrados", design::ListProblems},
        {"6C", "Listados Deficiencias Encontradas", design::ListDeficiencies},
        {"6D", "Listado Deficiencias RAS", design::ListRasDeficiencies},
        {"7C", "Diseño Hidraulico", design::ListHydraulicDesign},
        {"7D", "Diseño Fisico", design::ListPhysicalDesign},
        {"7E", "Caudales Sanitarios", design::ListSanitaryFlows},
        {"7F", "Caudales Pluviales", design::ListStormFlows},
        {"7G", "Empalmes Energia", design::ListEnergyJunctions},
        {"7H", "Pozos Iniciales Nuevos Adicionados", design::ListAddedManholes},
        {"7I", "Reporte SWMM", design::ShowSwmmReport},
        {"7J", "Diseño Hidraulico para Swmm  (inundados)", design::ListSwmmHydraulicFlooded},
        {"7K", "Diseño Fisico para Swmm  (inundados)", design::ListSwmmPhysicalFlooded},
        {"7M", "Diseño hidraulico para Swmm", design::ListSwmmHydraulic},
        {"7N", "Diseño fisico para Swmm", design::ListSwmmPhysical},
        {"9A", "Etapas Construccion", quantities::ListStages},
        {"9B", "Cantidades de Obra", quantities::ListQuantities},
        {"9C", "Clasificacion Tramos y Pozos", quantities::ListClassification},
        {"9D", "Formulario Precios Requeridos", quantities::ListRequiredPrices},
        {"9E", "Formulario Precios Totales", quantities::ListAllPrices},
        {"YA", "Precios Unitarios", budget::ListUnitPrices},
        {"YB", "Presupuesto de Obra", budget::ListBudget},
        {"ZA", "Resumen General Proyecto", summary::ListSummary},
        {"ZB", "Indice General Proyecto", summary::ListIndex},
    };
    return listings;
}

const ListingDef* FindListing(std::string_view key) {
    for (const ListingDef& def : Listings())
        if (key == def.key) return &def;
    return nullptr;
}

}  // namespace nivex::listings
