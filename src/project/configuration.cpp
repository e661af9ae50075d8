#include "project/configuration.h"

#include <cmath>
#include <exception>
#include <filesystem>

#include "console/codepage.h"
#include "project/project_opening.h"
#include "project/project_rename.h"
#include "shell/menu_rules.h"
#include "shell/startup.h"
#include "specs/criteria_store.h"

namespace nivex::project {
namespace {

constexpr const char* kErrorCaption = "Error";
constexpr const char* kNoSelfCleansing =
    "Debe seleccionar por lo menos una opcion de control de Autolimpieza";
constexpr const char* kSystemError =
    "Error del Sistema Operativo - Fue Controlado - PuedeContinuar";
constexpr const char* kMainLegend = "AltZ^terminar";

constexpr int kFirstSwmmClass = 6;
constexpr int kModeAutomaticOnly = 2;
constexpr int kPeakFixedItem = 6;
constexpr int kMinimumFixedItem = 5;
constexpr float kFixedPeakCoefficient = 4;
constexpr float kFixedMinCoefficient = 0.5f;
constexpr float kEnergyJunctionDiameter = 150;
constexpr int kCrownJoinDropCm = 75;
constexpr float kAvoidCriticalDiameter = 150;
constexpr float kManningLimitDiameter = 1524;
constexpr size_t kCaptionModeLength = 20;

struct TextDef {
    const char* caption;
    size_t length;
    bool upper;
};
constexpr std::array<TextDef, kTexts> kTextDefs{{
    {"Consultor", 35, true},
    {"Correo", 35, false},
    {"Pais", 26, true},
    {"Entidad", 63, true},
    {"Proyecto", 25, true},
    {"Fecha", 25, true},
}};

struct GroupDef {
    const char* caption;
    std::vector<const char*> items;
};
const std::array<GroupDef, kGroups>& GroupDefs() {
    static const std::array<GroupDef, kGroups> defs{{
        {"Clase Diseño",
         {"Sanitario por longitudes", "Sanitario por areas", "Combinado (Metodo Racional)",
          "Pluvial        (Metodo Racional)", "Mixto          (Metodo Racional)",
          "Combinado (Swmm curvas IDF)", "Pluvial        (Swmm curvas IDF)",
          "Combinado (Swmm Hietogramas)", "Pluvial        (Swmm Hietogramas)"}},
        {"Coeficiente n de Manning",
         {"Usar sugerencia  ASCE (n = variable con Diam.)",
          "Usar valores tradicionales (n = constante)"}},
        {"Diseño Topologia Hidraulica", {"Solo Manual", "Solo Automatico", "Manual y Automatico"}},
        {"Coeficiente Maximo Horario sanitario",
         {"Harmon", "Babbit", "Flores", "Los Angeles", "Tchobanoglous", "Gaines", "Valor Fijo"}},
        {"Coef. Minimo sanitario (autolimpieza)",
         {"Usar  Maximo Horario", "Usar Maximo Diario", "Usar Caudal Medio", "Usar Minimo Diario",
          "Usar Minimo Horario", "Usar Valor Fijo"}},
        {"Metodo Calculo SWMM (Usar preferiblemente Onda Dinamica )",
         {"Onda Dinamica", "Onda Cinematica", "Flujo Uniforme"}},
        {"Relaciones Hidraulicas", {"Usar n/N = 1", "Usar n/N variable "}},
        {"Modelo Infiltracion para usar con SWMM", {"Horton", "Green Ampt", "Numero de Curva"}},
        {"Metodo de diseño", {"Estandar", "Costo minimo"}},
    }};
    return defs;
}

constexpr std::array<const char*, kBoxes> kBoxCaptions{
    "Velocidad Minima a tubo lleno",
    "Modelo RAS 2016",
    "Velocidad Minima real",
    "Fuerza Tractiva ",
    "Pend. Minima cada Diametro (Incluir valores en Opcion: pendientes minimas)",
    "Activar Empalmes Energia",
    "Evitar Flujo Critico (Entre N. Froude > 0.90  y  N. Froude < 1.10) - Cuando y/D > 0.70 ",
};

// Texts that replace the last 20 characters of the base caption, by topology mode.
constexpr std::array<const char*, 3> kCaptionModes{" Solo Manual        ", " Solo Automatico    ",
                                                   " Manual y Automatico"};

int ItemCount(Group g) {
    return static_cast<int>(GroupDefs()[static_cast<size_t>(g)].items.size());
}

// The item a stored number selects: -1 when it is no item of the group.
int ItemOf(double value, Group g) {
    if (!std::isfinite(value) || value != std::floor(value)) return -1;
    if (value < 0 || value >= ItemCount(g)) return -1;
    return static_cast<int>(value);
}

std::string Fitted(const std::string& bytes, Text t) {
    const TextDef& def = kTextDefs[static_cast<size_t>(t)];
    std::string text = def.upper ? upper(bytes) : bytes;
    if (text.size() > def.length) text.resize(def.length);
    return text;
}

}  // namespace

std::string ConfigurationCaption() {
    return "Configuracion General del Proyecto";
}
std::string CaptionOf(Text t) {
    return kTextDefs[static_cast<size_t>(t)].caption;
}
size_t LengthOf(Text t) {
    return kTextDefs[static_cast<size_t>(t)].length;
}
bool UpperCaseOf(Text t) {
    return kTextDefs[static_cast<size_t>(t)].upper;
}
std::string CaptionOf(Group g) {
    return cp(GroupDefs()[static_cast<size_t>(g)].caption);
}
std::vector<std::string> ItemsOf(Group g) {
    std::vector<std::string> items;
    for (const char* item : GroupDefs()[static_cast<size_t>(g)].items)
        items.push_back(cp(item));
    return items;
}
std::string CaptionOf(Box b) {
    return kBoxCaptions[static_cast<size_t>(b)];
}
std::string SelfCleansingCaption() {
    return "Control de Autolimpeza";
}
std::string CriticalFlowCaption() {
    return "Evitar flujo critico - Norma RAS 2016";
}
std::string SwmmFolderCaption() {
    return "Directorio SWMM";
}

Configuration::Configuration(shell::Session& session)
    : session_(session), project_(session.project) {
    Project& p = project_;
    if (!p.OpenControl()) {
        Stop(toUtf8(p.error));
        return;
    }
    std::string error;
    if (!specs::LoadDesignCriteria(p.control, p.header, p.espec, &error)) {
        Stop(error);
        return;
    }
    ready_ = true;
    Open();
}

Configuration::~Configuration() {
    project_.CloseControl();
}

void Configuration::Open() {
    const shell::ProyectoT& h = project_.header;
    specs::EspecT& e = project_.espec;
    ConfigurationState& s = state_;
    s.swmmFolder = session_.folders.swmm;

    s.texts = {h.Consultant, h.Email, h.Country, h.Entity, h.ProjectName, h.ProjectDate};
    std::string& country = s.texts[static_cast<size_t>(Text::Country)];
    if (country.size() >= 2 && country[1] == 'y') country.clear();

    groupRef(Group::Class).item = ItemOf(h.DesignClass - 1, Group::Class);
    groupRef(Group::Manning).item = e.ManningOption == 1 ? 1 : 0;
    groupRef(Group::Topology).item =
        e.TopologyMode >= 1 && e.TopologyMode <= 3 ? e.TopologyMode - 1 : 0;
    groupRef(Group::Peak).item = ItemOf(e.PeakMethod, Group::Peak);
    groupRef(Group::Minimum).item = ItemOf(e.MinCoefficientMethod, Group::Minimum);
    int& swmm = groupRef(Group::Swmm).item;
    swmm = ItemOf(e.SwmmRouting, Group::Swmm);
    if (swmm < 0) {
        swmm = 0;
        e.SwmmRouting = 0;
    }
    int& relations = groupRef(Group::Relations).item;
    relations = ItemOf(e.HydraulicRelations, Group::Relations);
    if (relations < 0) {
        relations = 0;
        e.HydraulicRelations = 0;
    }
    groupRef(Group::Infiltration).item = ItemOf(e.InfiltrationModel, Group::Infiltration);
    groupRef(Group::Method).item = h.DesignMethod;  // 0 or 1: decoding settled any other byte

    // Sectors 2 to 9 share sector 1's identity.
    s.textsEnabled = project_.selection.sector <= "1";

    project_.header.SwmmClass = h.DesignClass >= kFirstSwmmClass ? 1 : 0;
    if (h.Simulated) groupRef(Group::Topology).enabled = false;
    // A SWMM class opens with the controls it does not use disabled, as choosing it
    // leaves them.
    if (h.DesignClass >= kFirstSwmmClass) DisableForSwmmClass();

    boxRef(Box::FullVelocity).checked = e.SanMinFullVelocity != 0;
    boxRef(Box::RealVelocity).checked = e.SanMinRealVelocity != 0;
    boxRef(Box::Tractive).checked = e.SanMinTractive100 != 0;
    boxRef(Box::Energy).checked = e.EnergyJunctionDiameter != 0;
    boxRef(Box::Critical).checked = e.AvoidCriticalDiameter != 0;
    boxRef(Box::Ras2016).checked = h.Ras2016Model != 2;
    boxRef(Box::SlopePerDiameter).checked = h.SlopePerDiameter != 2;

    // The stored topology is what a change is measured against, even when an imported
    // network forces the automatic one.
    opening_ = s;
    if (e.FromSwmm == 1) {
        groupRef(Group::Topology).item = kModeAutomaticOnly - 1;
        groupRef(Group::Topology).enabled = false;
    }
}

int Configuration::classOfItem() const {
    return group(Group::Class).item + 1;
}

bool Configuration::Stop(const std::string& error) {
    session_.ui.showError(cp(error), kErrorCaption);
    ready_ = false;
    project_.CloseControl();
    return false;
}

bool Configuration::Write(std::initializer_list<int> records) {
    Project& p = project_;
    std::array<codec::Bytes, shell::kControlRecords> out;
    for (int k : records) {
        auto& bytes = out[static_cast<size_t>(k)];
        bytes = p.control.buffer(k);
        if ((k == 0 && !shell::Encode(p.header, bytes)) || !specs::Encode(k, p.espec, bytes))
            return Stop("Un valor del registro " + std::to_string(k) +
                        " no cabe en su campo: " + p.files.control());
    }
    for (int k : records) {
        p.control.buffer(k) = out[static_cast<size_t>(k)];
        if (!p.control.WriteRecord(k)) return Stop(p.control.error());
    }
    return true;
}

void Configuration::RefreshMenu() {
    const shell::MenuFacts facts = MenuFactsOf(project_);
    shell::ApplyClassItems(session_.menu, facts);
    shell::ApplyListingItems(session_.menu, facts);
}

void Configuration::ShowCaption() {
    session_.console.setCaption(project_.caption);
}

// ---- Clicks ----

bool Configuration::SetBox(Box b, bool checked) {
    if (finished() || !box(b).enabled) return false;
    ApplyBox(b, checked);
    RefreshMenu();
    return true;
}

void Configuration::ApplyBox(Box b, bool checked) {
    BoxState& state = boxRef(b);
    if (!ready_ || state.checked == checked) return;  // only a change reacts
    state.checked = checked;
    shell::ProyectoT& h = project_.header;
    specs::EspecT& e = project_.espec;
    switch (b) {
        case Box::FullVelocity:
            e.SanMinFullVelocity = checked ? 0.60f : 0;
            e.StormMinFullVelocity = checked ? 0.75f : 0;
            return;
        case Box::Ras2016:
            h.Ras2016Model = checked ? 1 : 2;
            Write({0});
            return;
        case Box::RealVelocity: {
            const float v = checked ? 0.30f : 0;
            e.SanMinRealVelocity = e.SanMinMinRealVelocity = v;
            e.StormMinRealVelocity = e.StormMinMinRealVelocity = v;
            return;
        }
        case Box::Tractive:
            e.SanMinMinTractive100 = e.SanMinTractive100 = checked ? 10 : 0;
            e.StormMinTractive = e.StormMinMinTractive = checked ? 0.10f : 0;
            return;
        case Box::SlopePerDiameter:
            h.SlopePerDiameter = checked ? 1 : 2;
            if (checked) {
                specs::RecomputeMinimumSlopes(e);
                Write({3, 0});
            } else {
                Write({0});
            }
            return;
        case Box::Energy:
            e.EnergyJunctionDiameter = checked ? kEnergyJunctionDiameter : 0;
            e.CrownJoinDiameter = checked ? 0 : session_.junctionDiameterEntered;
            e.CrownJoinDropCm = checked ? 0 : kCrownJoinDropCm;
            return;
        case Box::Critical:
            e.AvoidCriticalDiameter = checked ? kAvoidCriticalDiameter : 0;
            e.FroudeLower = checked ? 0.9f : 0;
            e.FroudeUpper = checked ? 1.1f : 0;
            Write({5});
            return;
    }
}

bool Configuration::SelectItem(Group g, int item) {
    if (finished() || !group(g).enabled || item < 0 || item >= ItemCount(g)) return false;
    if (g == Group::Class)
        ChangeClass(item);
    else
        ApplyItem(g, item);
    RefreshMenu();
    return true;
}

void Configuration::ApplyItem(Group g, int item) {
    GroupState& state = groupRef(g);
    if (!ready_ || state.item == item) return;
    state.item = item;
    specs::EspecT& e = project_.espec;
    switch (g) {
        case Group::Class:
        case Group::Topology:
        case Group::Method:
            return;  // stored by "Aceptar"
        case Group::Manning:
            if (item == 1) {
                e.ManningLimitDiameter = kManningLimitDiameter;
                Write({0});
            }
            return;
        case Group::Peak:
            e.PeakMethod = item;
            e.FixedPeakCoefficient = item == kPeakFixedItem ? kFixedPeakCoefficient : 0;
            Write({0});
            return;
        case Group::Minimum:
            e.MinCoefficientMethod = static_cast<float>(item);
            e.FixedMinCoefficient = item == kMinimumFixedItem ? kFixedMinCoefficient : 0;
            Write({0});
            return;
        case Group::Swmm:
            // The stored class: leaving for a SWMM class still writes the dynamic wave.
            if (project_.header.DesignClass < kFirstSwmmClass) {
                e.SwmmRouting = static_cast<float>(item);
                Write({0});
            }
            return;
        case Group::Relations:
            e.HydraulicRelations = static_cast<float>(item);
            Write({0});
            return;
        case Group::Infiltration:
            e.InfiltrationModel = item;
            Write({3});
            return;
    }
}

void Configuration::ChangeClass(int item) {
    if (group(Group::Class).item == item) return;
    groupRef(Group::Class).item = item;
    for (Box b : kSelfCleansingBoxes)
        ApplyBox(b, false);
    if (classOfItem() < kFirstSwmmClass) {
        // Everything a SWMM class disabled comes back, the critical flow with the rest.
        for (Box b : {Box::FullVelocity, Box::RealVelocity, Box::Tractive, Box::Ras2016,
                      Box::Energy, Box::Critical})
            boxRef(b).enabled = true;
        groupRef(Group::Swmm).enabled = true;
        groupRef(Group::Relations).enabled = true;
        return;
    }
    // The SWMM classes route with the dynamic wave and n/N = 1, without energy
    // junctions, and need a minimum slope per diameter.
    DisableForSwmmClass();
    ApplyItem(Group::Swmm, 0);
    ApplyItem(Group::Relations, 0);
    for (Box b : {Box::Energy, Box::Critical, Box::FullVelocity, Box::RealVelocity, Box::Tractive,
                  Box::Ras2016})
        ApplyBox(b, false);
    ApplyBox(Box::SlopePerDiameter, true);
    project_.espec.EnergyJunctionDiameter = 0;
    project_.espec.RasRainfallModel = 0;
}

void Configuration::DisableForSwmmClass() {
    for (Box b : {Box::FullVelocity, Box::RealVelocity, Box::Tractive, Box::Critical, Box::Ras2016,
                  Box::Energy})
        boxRef(b).enabled = false;
    groupRef(Group::Swmm).enabled = false;
    groupRef(Group::Relations).enabled = false;
}

bool Configuration::SetText(Text t, const std::string& bytes) {
    if (finished() || !state_.textsEnabled) return false;
    state_.texts[static_cast<size_t>(t)] = Fitted(bytes, t);
    return true;
}

std::string Configuration::SwmmStartFolder() const {
    std::string folder = session_.settings.read(shell::kSettingsKey, "sSWMMdir");
    return folder.empty() ? session_.folders.swmm : folder;
}

void Configuration::ChooseSwmmFile(const std::string& chosenFile) {
    if (chosenFile.empty() || finished()) return;  // the file dialog was cancelled
    try {
        const size_t slash = chosenFile.rfind('/');
        std::string folder;
        if (slash == std::string::npos)
            folder = std::filesystem::current_path().string();
        else
            folder = slash == 0 ? "/" : chosenFile.substr(0, slash);
        session_.folders.swmm = folder;
        session_.settings.write(shell::kSettingsKey, "sSwmmDir", folder);
        state_.swmmFolder = folder;
    } catch (const std::exception&) {
        session_.ui.showError(kSystemError, kErrorCaption);
    }
}

// ---- Aceptar and closing ----

bool Configuration::Accept() {
    if (finished()) return true;
    if (!AcceptSteps()) return true;  // a file error ended the dialog
    return Close();
}

bool Configuration::AcceptSteps() {
    Project& p = project_;
    shell::ProyectoT& h = p.header;
    specs::EspecT& e = p.espec;
    const auto& texts = state_.texts;
    const auto at = [](Text t) { return static_cast<size_t>(t); };
    h.Consultant = texts[at(Text::Consultant)];
    h.Email = texts[at(Text::Email)];
    h.Country = texts[at(Text::Country)];
    h.Entity = texts[at(Text::Entity)];
    h.ProjectName = texts[at(Text::Project)];
    h.ProjectDate = texts[at(Text::Date)];
    if (group(Group::Class).item >= 0) h.DesignClass = classOfItem();
    e.ManningOption = group(Group::Manning).item;
    const int mode = group(Group::Topology).item + 1;
    e.TopologyMode = mode;
    h.DesignMethod = group(Group::Method).item;

    const auto changed = [this](Group g) {
        return group(g).item != opening_.groups[static_cast<size_t>(g)].item;
    };
    classOrManningChanged_ = changed(Group::Class) || changed(Group::Manning);
    dataChanged_ = classOrManningChanged_ || texts != opening_.texts;
    if (classOrManningChanged_) h.CriteriaValid = 0;

    h.SwmmClass = h.DesignClass >= kFirstSwmmClass ? 1 : 0;
    if (!Write({0})) return false;

    if (changed(Group::Topology)) {
        // The automatic topology makes the ordering control unnecessary.
        h.ControlsDone[3] = mode == kModeAutomaticOnly ? 1 : 0;
        h.StageDone[1] = 0;
        if (!Write({5})) return false;
        std::string& base = p.baseCaption;
        base = base.substr(0, base.size() - std::min(base.size(), kCaptionModeLength)) +
               kCaptionModes[static_cast<size_t>(mode - 1)];
        p.caption = base;
        ShowCaption();
        h.DesignAlternative = 0;
        if (!Write({0})) return false;
    }
    if (changed(Group::Method)) {
        // The design and the alternatives' comparison were made by the other method.
        h.CriteriaValid = 0;
        h.StageDone[1] = 0;
        if (!Write({0})) return false;
    }
    if (changed(Group::Peak) || changed(Group::Minimum)) {
        h.CriteriaValid = 0;
        if (!Write({0})) return false;
        h.StageDone[1] = 0;
        if (!Write({5})) return false;
    }
    const std::string& oldName = opening_.texts[at(Text::Project)];
    if (h.ProjectName != oldName) {
        bool renamed = false;
        if (!RenameProject(p, h.ProjectName, &renamed)) return Stop(toUtf8(p.error));
        if (!renamed) session_.console.beep();
        // Record 0 held the new name already: the captions are renamed here.
        for (std::string* caption : {&p.baseCaption, &p.caption})
            if (caption->compare(0, oldName.size(), oldName) == 0)
                caption->replace(0, oldName.size(), h.ProjectName);
        ShowCaption();
        // The rename closed the file, perhaps in a folder of a new name.
        if (!p.OpenControl()) return Stop(toUtf8(p.error));
    }
    return true;
}

bool Configuration::Close() {
    if (finished()) return true;
    shell::ProyectoT& h = project_.header;
    bool optionsChanged = false;
    for (int b = 0; b < kBoxes; ++b)
        optionsChanged = optionsChanged || state_.boxes[static_cast<size_t>(b)].checked !=
                                               opening_.boxes[static_cast<size_t>(b)].checked;
    for (Group g : {Group::Topology, Group::Peak, Group::Minimum, Group::Swmm, Group::Relations,
                    Group::Infiltration})
        optionsChanged =
            optionsChanged || group(g).item != opening_.groups[static_cast<size_t>(g)].item;
    if (optionsChanged) {
        ClearControls();
        h.CriteriaValid = 0;
        if (!Write({0})) return true;
    }
    bool anyCleansing = false;
    for (Box b : kSelfCleansingBoxes)
        anyCleansing = anyCleansing || box(b).checked;
    if (!anyCleansing) {
        session_.ui.showError(cp(kNoSelfCleansing), kErrorCaption);
        return false;
    }
    project_.espec.SystemKind = specs::SystemKindOfClass(h.DesignClass);
    if (!Write({0})) return true;
    Finish();
    return true;
}

void Configuration::ClearControls() {
    shell::ProyectoT& h = project_.header;
    h.ControlsDone = {0, 0, 0, 0};
    // Only a manual topology needs the ordering control.
    if (project_.espec.TopologyMode == kModeAutomaticOnly) h.ControlsDone[3] = 1;
}

// What the criteria module does once the dialog has closed.
void Configuration::Finish() {
    shell::ProyectoT& h = project_.header;
    if (dataChanged_) {
        h.CriteriaValid = 0;
        if (classOrManningChanged_) {
            ClearControls();
            h.StageDone = {0, 0, 0, 0};
        }
        // Control A checked the project data; without them it must be passed again.
        if (!RequiredProjectDataGiven(h)) h.ControlsDone[0] = 0;
        if (!Write({0, 5})) return;
    }
    finished_ = true;
    project_.CloseControl();
    session_.screen.ShowLegend(kMainLegend);
    RefreshMenu();
}

}  // namespace nivex::project
