#include "exchange/gis_fields.h"

namespace nivex::exchange {

const std::vector<ReachDatum>& ReachData() {
    static const std::vector<ReachDatum> data = {
        {"zona", "Zona sanitaria"},
        {"lluvia", "Ecuacion o serie pluvial"},
        {"zona_ras", "Zona RAS"},
        {"aporte", "Aporte"},
        {"rasan_sup", "Cota rasante superior (m)"},
        {"rasan_inf", "Cota rasante inferior (m)"},
        {kLengthDatum, "Longitud del tramo (m)"},
        {"area", "Area del tramo (Has)"},
        {"r_clase", "Clase"},
        {"r_clave_s", "Cota clave superior (m)"},
        {"r_diam", "Diametro del tubo (mm)"},
        {"r_pend", "Pendiente del tubo (%)"},
        {"r_clave_i", "Cota clave inferior (m)"},
        {"r_manning", "Coeficiente de Manning"},
        {"v_ind", "V.Min.Real Indust. (m/s)"},
        {"prof_min", "Profundidad minima (m)"},
        {"q_puntual", "Caudal puntual (l/s)"},
        {"area_fut", "Area futura sanitaria"},
        {"area_pluv", "Area adic.pluvial (Has)"},
        {"t_area", "Tiempo area adic. (min)"},
        {"escorrent", "Coef. de escorrentia"},
        {"f_alivio", "Factor alivio"},
        {"r_tipo", "Tipo"},
        {"os_q_punt", "Otro sector: caudal puntual (l/s)"},
        {"os_diam", "Otro sector: diametro (mm)"},
        {"os_clave_i", "Otro sector: cota clave inferior (m)"},
        {"os_aguas_n", "Aguas negras acumuladas (l/s)"},
        {"os_infil", "Infil.+ C.E. acumuladas (l/s)"},
        {"os_pobl", "Poblacion acumulada (habitantes)"},
        {"os_area_r", "Area real acumulada (Has)"},
        {"os_area_eq", "Area equivalente acumulada (Has)"},
        {"os_t_orig", "Tiempo concentracion origen (min)"},
        {"os_t_tramo", "Tiempo concentracion tramo (min)"},
        {"sect_orig", "Sector origen"},
        {"sect_dest", "Sector destino"},
        {"quitar", "Quitar existente"},
    };
    return data;
}

std::vector<std::string> GisDatumNames() {
    std::vector<std::string> names;
    for (const ReachDatum& d : ReachData())
        names.push_back(d.name);
    names.push_back(kStateDatum);
    names.push_back(kNameDatum);
    names.push_back(kGroundDatum);
    return names;
}

std::string GisMapping::FieldOf(const std::string& datum) const {
    const auto it = fields.find(datum);
    return it == fields.end() ? datum : it->second;
}

bool ParseFieldMapping(const std::vector<std::string>& pairs, GisMapping& mapping,
                       std::string* error) {
    const std::vector<std::string> known = GisDatumNames();
    for (const std::string& pair : pairs) {
        const size_t eq = pair.find('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 == pair.size()) {
            *error = "Error: --campo debe ser DATO=CAMPO (se dio '" + pair + "')";
            return false;
        }
        const std::string datum = pair.substr(0, eq), field = pair.substr(eq + 1);
        bool found = false;
        for (const std::string& k : known)
            found = found || k == datum;
        if (!found) {
            std::string list;
            for (const std::string& k : known)
                list += (list.empty() ? "" : ", ") + k;
            *error = "Error: --campo: dato desconocido '" + datum + "'; los datos son: " + list;
            return false;
        }
        if (!mapping.fields.emplace(datum, field).second) {
            *error = "Error: --campo: el dato '" + datum + "' se dio dos veces";
            return false;
        }
    }
    return true;
}

}  // namespace nivex::exchange
