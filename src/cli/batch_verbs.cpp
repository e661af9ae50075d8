#include "cli/batch_verbs.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <ostream>
#include <set>

namespace nivex::cli {
namespace {

enum class Arity { Flag, Value, List };

struct OptionDef {
    std::string_view name;
    Arity arity;
};

// Every option of every verb. A list option takes one value or more (each a separate
// argument up to the next option) and may be given again.
constexpr OptionDef kOptions[] = {
    {"--projects", Arity::Value},
    {"--project", Arity::Value},
    {"--yes", Arity::Flag},
    {"--name", Arity::Value},
    {"--sectors", Arity::Value},
    {"--pdf", Arity::Value},
    {"--out", Arity::Value},
    {"--from", Arity::Value},
    {"--to", Arity::Value},
    {"--min-size", Arity::Value},
    {"--identificacion", Arity::Value},
    {"--opciones", Arity::Value},
    {"--class", Arity::Value},
    {"--manning", Arity::Value},
    {"--pico", Arity::Value},
    {"--minimo", Arity::Value},
    {"--topologia", Arity::Value},
    {"--energia", Arity::Value},
    {"--critico", Arity::Value},
    {"--swmm", Arity::Value},
    {"--relaciones", Arity::Value},
    {"--infiltracion", Arity::Value},
    {"--autolimpieza", Arity::Value},
    {"--metodo", Arity::Value},
    {"--texto", Arity::List},
    {"--horizontal", Arity::Value},
    {"--vertical", Arity::Value},
    {"--length", Arity::Value},
    {"--slope", Arity::Value},
    {"--ground", Arity::Value},
    {"--diameter", Arity::Value},
    {"--n", Arity::Value},
    {"--flow", Arity::Value},
    {"--modo", Arity::Value},
    {"--llenado", Arity::Value},
    {"--alternativa", Arity::Value},
    {"--listado", Arity::Value},
    {"--csv", Arity::Flag},
    {"--svg", Arity::Value},
    {"--png", Arity::Value},
    {"--papel", Arity::Value},
    {"--escala", Arity::Value},
    {"--escala-h", Arity::Value},
    {"--escala-v", Arity::Value},
    {"--desde", Arity::Value},
    {"--hasta", Arity::Value},
    {"--capa-tramos", Arity::Value},
    {"--capa-pozos", Arity::Value},
    {"--campo", Arity::List},
};

// Options whose value names a file the verb writes.
constexpr std::string_view kFileOptions[] = {"--out", "--pdf", "--listado", "--svg", "--png"};

std::optional<Arity> ArityOf(std::string_view option) {
    for (const OptionDef& d : kOptions)
        if (d.name == option) return d.arity;
    return std::nullopt;
}

bool IsOption(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-';
}

bool IsGeneral(std::string_view option) {
    return option == "--projects" || option == "--project" || option == "--yes";
}

const std::vector<VerbDef>& Table() {
    static const std::vector<VerbDef> verbs{
        {"new",
         ProjectUse::Sector,
         VerbNew,
         {{"", "", 0, 0, {"--name", "--sectors"}, {}, {}, "0"}},
         "  new [--name TEXTO] [--sectors N] [--yes]\n"
         "                                    crea o abre el sector de un proyecto (sin\n"
         "                                    --yes la confirmacion se responde No)\n"},
        {"info",
         ProjectUse::Sector,
         VerbInfo,
         {{"", "", 0, 0, {}, {}, {}, ""}},
         "  info                              estado del sector (lineas clave: valor)\n"},
        {"list-projects",
         ProjectUse::Base,
         VerbListProjects,
         {{"", "", 0, 0, {}, {}, {}, ""}},
         "  list-projects                     lineas de la lista de proyectos\n"},
        {"restore-backup",
         ProjectUse::Sector,
         VerbRestoreBackup,
         {{"", "", 0, 0, {}, {}, {}, "1M"}},
         "  restore-backup                    recupera el archivo de tramos original\n"},
        {"show",
         ProjectUse::None,
         VerbShow,
         {{"", "ARCHIVO", 1, 1, {}, {}, {0}, ""}},
         "  show ARCHIVO                      un listado como lo muestra el visor\n"},
        {"print",
         ProjectUse::None,
         VerbPrint,
         {{"", "ARCHIVO", 1, 1, {"--pdf"}, {"--pdf"}, {0}, ""}},
         "  print ARCHIVO --pdf SALIDA.pdf    imprime un listado en un archivo PDF\n"},
        {"list",
         ProjectUse::Sector,
         VerbList,
         {{"",
           "CLAVE",
           1,
           1,
           {"--from", "--to", "--min-size", "--out", "--pdf", "--identificacion", "--opciones"},
           {},
           {},
           kListingGate}},
         "  list CLAVE [--from N] [--to N] [--min-size MM] [--out ARCHIVO] [--pdf ARCHIVO]\n"
         "                                    escribe un listado del sector (CLAVE: la\n"
         "                                    opcion y la subopcion del menu, p. ej. 4A);\n"
         "                                    sin --out ni --pdf lo muestra como el visor\n"
         "  list ZA --identificacion TEXTO    el resumen con ese texto\n"
         "  list ZB --opciones SSNSSNNS       el indice con sus entradas opcionales\n"},
        {"criteria",
         ProjectUse::Sector,
         VerbCriteria,
         {{"", "", 0, 0, {}, {}, {}, "1"},
          {"set", "rR.OFFSET=VALOR ...", 1, kManyOperands, {}, {}, {}, "1"}},
         "  criteria                          los valores de especificaciones (rR.OFFSET)\n"
         "  criteria set rR.OFFSET=VALOR ...  cambia valores con las reglas de su pantalla\n"},
        {"config",
         ProjectUse::Sector,
         VerbConfig,
         {{"",
           "",
           0,
           0,
           {"--class", "--manning", "--pico", "--minimo", "--topologia", "--energia", "--critico",
            "--swmm", "--relaciones", "--infiltracion", "--autolimpieza", "--texto", "--metodo"},
           {},
           {},
           "1A"}},
         "  config [--class N] [--manning asce|fijo] [--pico METODO] [--minimo METODO]\n"
         "         [--topologia manual|automatico|ambos] [--energia si|no] [--critico si|no]\n"
         "         [--swmm dinamica|cinematica|uniforme] [--relaciones uno|variable]\n"
         "         [--infiltracion horton|greenampt|cn] [--autolimpieza LISTA]\n"
         "         [--texto CAMPO=VALOR ...] [--metodo estandar|costo-minimo]\n"
         "                                    configuracion general del proyecto: los\n"
         "                                    clics en el orden dado, luego Aceptar; si\n"
         "                                    algo se rehusa, nada se guarda\n"
         "                                    (--pico: harmon, babbit, flores, losangeles,\n"
         "                                    tchobanoglous, gaines, fijo; --minimo:\n"
         "                                    maxhorario, maxdiario, medio, mindiario,\n"
         "                                    minhorario, fijo; LISTA: vlleno, ras2016,\n"
         "                                    vreal, tractiva, pendiente, separados por\n"
         "                                    comas, o ninguna; CAMPO: consultor, correo,\n"
         "                                    pais, entidad, proyecto, fecha; --texto se\n"
         "                                    puede repetir, un campo una vez)\n"},
        {"simulate",
         ProjectUse::Sector,
         VerbSimulate,
         {{"",
           "",
           0,
           0,
           {"--horizontal", "--vertical", "--length", "--slope", "--ground"},
           {},
           {},
           "1P"}},
         "  simulate [--horizontal H] [--vertical V] [--length L] [--slope S] [--ground G]\n"
         "                                    genera un proyecto simulado (cuadricula)\n"},
        {"reaches",
         ProjectUse::Sector,
         VerbReaches,
         {{"export", "", 0, 0, {"--out"}, {}, {}, "2A"},
          {"import", "ARCHIVO.csv", 1, 1, {}, {}, {0}, "2A"},
          {"move", "PRIMERA ULTIMA DESPUES", 3, 3, {}, {}, {}, "2A"}},
         "  reaches export [--out ARCHIVO]    los tramos como tabla CSV (sin --out, en pantalla)\n"
         "  reaches import ARCHIVO.csv [--yes] reemplaza los tramos por los de la tabla\n"
         "  reaches move PRIMERA ULTIMA DESPUES [--yes]\n"
         "                                    mueve las lineas PRIMERA a ULTIMA despues de\n"
         "                                    la linea DESPUES y deja el orden en firme\n"},
        {"pozos",
         ProjectUse::Sector,
         VerbPozos,
         {{"export", "", 0, 0, {"--out"}, {}, {}, "2A"},
          {"import", "ARCHIVO.csv", 1, 1, {}, {}, {0}, "2A"}},
         "  pozos export [--out ARCHIVO]      coordenadas de los pozos en CSV (pozo,x,y)\n"
         "  pozos import ARCHIVO.csv          coordenadas de los pozos desde un CSV (pozo,x,y;\n"
         "                                    separador ',' o ';', punto decimal); un error\n"
         "                                    en cualquier linea no deja cambiar nada\n"},
        {"plano",
         ProjectUse::Sector,
         VerbPlano,
         {{"", "", 0, 0, {"--pdf", "--svg", "--png", "--papel", "--escala"}, {}, {}, kPlanGate}},
         "  plano --pdf|--svg|--png ARCHIVO [--papel carta|oficio|a3|a1] [--escala 1:N]\n"
         "                                    el plano de la red en una hoja (papel a1 si no\n"
         "                                    se dice; sin --escala, la mayor que cabe)\n"},
        {"perfiles",
         ProjectUse::Sector,
         VerbPerfiles,
         {{"",
           "",
           0,
           0,
           {"--pdf", "--svg", "--png", "--papel", "--desde", "--hasta", "--escala-h", "--escala-v"},
           {},
           {},
           kProfilesGate}},
         "  perfiles --pdf|--svg|--png ARCHIVO [--desde POZO --hasta POZO]\n"
         "           [--escala-h 1:N] [--escala-v 1:N] [--papel carta|oficio|a3|a1]\n"
         "                                    los perfiles longitudinales de todos los\n"
         "                                    colectores, o el camino entre dos pozos, en\n"
         "                                    hojas apaisadas (H 1:1000, V 1:100 y a1 si no\n"
         "                                    se dice)\n"},
        {"exportar",
         ProjectUse::Sector,
         VerbExportar,
         {{"gpkg", "", 0, 0, {"--out"}, {"--out"}, {}, "7A"},
          {"shp", "", 0, 0, {"--out"}, {"--out"}, {}, "7A"},
          {"dxf", "", 0, 0, {"--out", "--escala-h", "--escala-v"}, {"--out"}, {}, "7A"},
          {"xlsx", "", 0, 0, {"--out"}, {"--out"}, {}, "7A"}},
         "  exportar gpkg|shp|xlsx --out ARCHIVO\n"
         "                                    el sector diseñado para SIG (GeoPackage o\n"
         "                                    Shapefile en la carpeta ARCHIVO) o como libro\n"
         "                                    de hoja de calculo\n"
         "  exportar dxf --out ARCHIVO [--escala-h 1:N] [--escala-v 1:N]\n"
         "                                    el plano (en metros) y los perfiles para CAD\n"},
        {"importar-sig",
         ProjectUse::Sector,
         VerbImportarSig,
         {{"", "ARCHIVO", 1, 1, {"--capa-tramos", "--capa-pozos", "--campo"}, {}, {0}, "1Q"}},
         "  importar-sig ARCHIVO [--capa-tramos CAPA] [--capa-pozos CAPA]\n"
         "           [--campo DATO=CAMPO ...] [--yes]\n"
         "                                    entra la red desde un GeoPackage o Shapefile\n"},
        {"import-swmm",
         ProjectUse::Sector,
         VerbImportSwmm,
         {{"", "MODELO.inp", 1, 1, {}, {}, {0}, "1Q"}},
         "  import-swmm MODELO.inp [--yes]    entra un modelo SWMM 5 como red del proyecto\n"
         "                                    (un tramo por conducto; sin --yes la pregunta\n"
         "                                    se responde No y nada se escribe)\n"},
        {"calc",
         ProjectUse::Optional,
         VerbCalc,
         {{"",
           "",
           0,
           0,
           {"--diameter", "--slope", "--n", "--flow", "--llenado", "--modo"},
           {},
           {},
           ""}},
         "  calc --diameter D --slope S [--n N] [--flow Q] [--modo uno|variable]\n"
         "                                    hidraulica de un tubo o ducto: Q0, V0 y, con\n"
         "                                    caudal, q, y/D, V, tau, Froude y Z\n"
         "  calc --diameter D --flow Q --llenado QMAX [--n N] [--modo uno|variable]\n"
         "                                    pendiente con la que Q llena el tubo a QMAX\n"
         "  calc --slope S --flow Q --llenado QMAX [--n N] [--modo uno|variable]\n"
         "                                    diametro y diametro comercial para QMAX\n"
         "                                    (D en mm, S en %, Q en l/s, V en m/s, tau en\n"
         "                                    kg/m2; QMAX = Q/Q0 permitido; sin --n, la\n"
         "                                    regla de Manning del proyecto en el diametro;\n"
         "                                    sin --project, los criterios de uno nuevo)\n"},
        {"controls",
         ProjectUse::Sector,
         VerbControls,
         {{"", "", 0, 0, {}, {}, {}, "3"}},
         "  controls [--yes]                  controles de calidad A, B, C y D (sin --yes las\n"
         "                                    confirmaciones se responden No)\n"},
        {"design",
         ProjectUse::Sector,
         VerbDesign,
         {{"", "", 0, 0, {"--opciones", "--alternativa"}, {}, {}, "5A"}},
         "  design [--opciones SSNS] [--alternativa FILA] [--yes]\n"
         "                                    diseña las alternativas como el menu y luego la\n"
         "                                    de la fila FILA del cuadro (por omision la 1)\n"
         "                                    con las cuatro respuestas de opciones\n"},
        {"alternatives",
         ProjectUse::Sector,
         VerbAlternatives,
         {{"", "", 0, 0, {"--listado"}, {}, {}, "5A"}},
         "  alternatives [--listado ARCHIVO]  el cuadro de alternativas en CSV, o el listado\n"
         "                                    Comparacion Alternativas en ARCHIVO\n"},
        {"dump",
         ProjectUse::Sector,
         VerbDump,
         {{"design", "", 0, 0, {"--csv"}, {}, {}, "7C"}},
         "  dump design [--csv]               los registros del diseño (ZSDB), uno por fila\n"},
        {"swmm",
         ProjectUse::Sector,
         VerbSwmm,
         {{"write", "", 0, 0, {}, {}, {}, "6F"}, {"run", "", 0, 0, {}, {}, {}, "6F"}},
         "  swmm write|run [--yes]            escribe el modelo SWMM del diseño (write) y lo\n"
         "                                    corre con el motor SWMM leyendo sus resultados\n"
         "                                    (run); sin --yes la pregunta se responde No y\n"
         "                                    nada se escribe\n"},
        {"review",
         ProjectUse::Sector,
         VerbReview,
         {{"", "", 0, 0, {}, {}, {}, "6A"}},
         "  review                            revision del diseño: escribe las listas de\n"
         "                                    problemas y deficiencias (list 6B, 6C, 6D) y\n"
         "                                    muestra los conteos del resumen (clave: valor)\n"},
        {"stages",
         ProjectUse::Sector,
         VerbStages,
         {{"", "", 0, 0, {}, {}, {}, "8A"},
          {"show", "", 0, 0, {}, {}, {}, "8A"},
          {"set", "LINEA=ETAPA ...", 1, kManyOperands, {}, {}, {}, "8A"}},
         "  stages [show]                     tramos de cada etapa de construccion del diseño\n"
         "  stages set LINEA=ETAPA ...        da etapas (0 a 3) a lineas del diseño con las\n"
         "                                    reglas de su pantalla y cuenta las etapas\n"},
        {"quantities",
         ProjectUse::Sector,
         VerbQuantities,
         {{"", "", 0, 0, {}, {}, {}, "8B"}},
         "  quantities                        cantidades de obra: escribe los archivos de\n"
         "                                    cantidades e imprime sus estadisticas y totales\n"},
        {"budget",
         ProjectUse::Sector,
         VerbBudget,
         {{"", "", 0, 0, {}, {}, {}, "XC"}},
         "  budget [--yes]                    presupuesto: escribe los archivos de cada\n"
         "                                    sistema e imprime sus capitulos y su total\n"},
        {"prices",
         ProjectUse::Sector,
         VerbPrices,
         {{"export", "", 0, 0, {"--out"}, {}, {}, "XA"},
          {"import", "ARCHIVO.csv", 1, 1, {}, {}, {0}, "XA"}},
         "  prices export [--out ARCHIVO]     precios unitarios en CSV (capitulo,item,precio)\n"
         "  prices import ARCHIVO.csv         precios unitarios desde un CSV como el de export;\n"
         "                                    una fila errada no deja cambiar nada\n"},
        {"globals",
         ProjectUse::Sector,
         VerbGlobals,
         {{"", "", 0, 0, {}, {}, {}, "XB"},
          {"set", "FILA \"DESCRIPCION\" ETAPA VALOR", 4, 4, {}, {}, {}, "XB"}},
         "  globals                           items de precio global guardados\n"
         "  globals set FILA \"DESCRIPCION\" ETAPA VALOR\n"
         "                                    da la fila FILA (1 a 17) de los precios globales\n"},
    };
    return verbs;
}

bool HasSubVerbs(const VerbDef& v) {
    return std::any_of(v.forms.begin(), v.forms.end(),
                       [](const VerbForm& f) { return !f.sub.empty(); });
}

std::string SubVerbList(const VerbDef& v) {
    std::vector<std::string_view> subs;
    for (const VerbForm& f : v.forms)
        if (!f.sub.empty()) subs.push_back(f.sub);
    std::string text;
    for (size_t k = 0; k < subs.size(); ++k) {
        if (k > 0) text += k + 1 == subs.size() ? " o " : ", ";
        text += subs[k];
    }
    return text;
}

std::string FormName(const VerbDef& v, const VerbForm& f) {
    std::string name(v.name);
    if (!f.sub.empty()) name += " " + std::string(f.sub);
    return name;
}

// The form the arguments choose; nullptr (with the message printed) when none does.
const VerbForm* FormOf(const VerbDef& v, const std::vector<std::string>& operands,
                       std::ostream& err) {
    const VerbForm* plain = nullptr;
    for (const VerbForm& f : v.forms) {
        if (f.sub.empty())
            plain = &f;
        else if (!operands.empty() && operands[0] == f.sub)
            return &f;
    }
    if (!HasSubVerbs(v) || (plain && (operands.empty() || plain->maxOperands > 0))) return plain;
    if (operands.empty())
        err << "Error: " << v.name << " necesita " << SubVerbList(v) << '\n';
    else
        err << "Error: " << v.name << " no entiende '" << operands[0] << "' (se espera "
            << SubVerbList(v) << ")\n";
    return nullptr;
}

std::string Absolute(const std::string& path) {
    if (path.empty()) return path;
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

struct Reading {
    Options& o;
    std::ostream& err;
    std::set<std::string> seen;
    bool ok = true;

    bool fail(const std::string& message) {
        err << message << '\n';
        ok = false;
        return false;
    }
};

// The arguments into verb, operands and options: what an option is and how many values it
// takes is the same for every verb.
bool Split(const std::vector<std::string>& args, Reading& r) {
    Options& o = r.o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!IsOption(a)) {
            if (o.verb.empty())
                o.verb = a;
            else
                o.operands.push_back(a);
            continue;
        }
        const std::optional<Arity> arity = ArityOf(a);
        if (!arity) return r.fail("Error: opcion desconocida: " + a);
        if (*arity != Arity::List && !r.seen.insert(a).second)
            return r.fail("Error: la opcion " + a + " se dio mas de una vez");
        if (*arity == Arity::Flag) {
            if (a == "--yes") o.yes = true;
            o.values[a].assign(1, '1');  // present
            continue;
        }
        if (i + 1 >= args.size()) return r.fail("Error: falta el valor de " + a);
        do {
            const std::string& v = args[++i];
            if (a == "--projects")
                o.projects = v;
            else if (a == "--project")
                o.project = v;
            o.values.emplace(a, v);
            o.ordered.emplace_back(a, v);
        } while (*arity == Arity::List && i + 1 < args.size() && !IsOption(args[i + 1]));
    }
    return true;
}

bool CheckGeneral(const VerbDef& v, Reading& r) {
    const Options& o = r.o;
    const std::string name(v.name);
    const bool projects = o.has("--projects"), project = o.has("--project");
    switch (v.project) {
        case ProjectUse::None:
            if (projects) return r.fail("Error: " + name + " no usa --projects");
            if (project) return r.fail("Error: " + name + " no usa --project");
            break;
        case ProjectUse::Base:
            if (project) return r.fail("Error: " + name + " no usa --project");
            if (!projects) return r.fail("Error: falta --projects CARPETA");
            break;
        case ProjectUse::Sector:
            if (!projects) return r.fail("Error: falta --projects CARPETA");
            if (!project) return r.fail("Error: falta --project CODIGO (p. ej. AB1)");
            break;
        case ProjectUse::Optional:
            if (project && !projects) return r.fail("Error: falta --projects CARPETA");
            break;
    }
    if (o.yes && v.project != ProjectUse::Sector)
        return r.fail("Error: " + name + " no admite la opcion --yes");
    return true;
}

bool CheckForm(const VerbDef& v, const VerbForm& f, Reading& r) {
    Options& o = r.o;
    const std::string name = FormName(v, f);
    const int offset = f.sub.empty() ? 0 : 1;
    const int given = static_cast<int>(o.operands.size()) - offset;
    if (given > f.maxOperands)
        return r.fail("Error: " + name + " no admite el argumento '" +
                      o.operands[static_cast<size_t>(offset + f.maxOperands)] + "'");
    if (given < f.minOperands)
        return r.fail("Error: faltan argumentos: " + name + " " + std::string(f.operands));
    for (const auto& [option, value] : o.values) {
        if (IsGeneral(option)) continue;
        if (std::find(f.options.begin(), f.options.end(), option) == f.options.end())
            return r.fail("Error: " + name + " no admite la opcion " + option);
    }
    for (std::string_view option : f.required)
        if (!o.has(std::string(option)))
            return r.fail("Error: " + name + " necesita " + std::string(option));
    return true;
}

// File names are read from where the command was given: opening a sector changes the
// current folder.
void ResolveFiles(const VerbForm& f, Options& o) {
    const size_t offset = f.sub.empty() ? 0 : 1;
    for (int k : f.files)
        o.operands[offset + static_cast<size_t>(k)] =
            Absolute(o.operands[offset + static_cast<size_t>(k)]);
    for (std::string_view option : kFileOptions) {
        auto it = o.values.find(std::string(option));
        if (it != o.values.end()) it->second = Absolute(it->second);
    }
    if (!o.projects.empty()) {
        o.projects = Absolute(o.projects);
        while (o.projects.size() > 1 && o.projects.back() == '/')
            o.projects.pop_back();
    }
}

std::string GateOf(const VerbForm& f, const Options& o) {
    if (f.gate != kListingGate) return std::string(f.gate);
    std::string key = o.operands.empty() ? std::string() : o.operands[0];
    for (char& c : key)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return key;
}

std::string Joined(const std::vector<std::string_view>& words, const char* none) {
    if (words.empty()) return none;
    std::string text;
    for (std::string_view w : words)
        text += (text.empty() ? "" : " ") + std::string(w);
    return text;
}

}  // namespace

const std::vector<VerbDef>& Verbs() {
    return Table();
}

const VerbDef* FindVerb(std::string_view name) {
    for (const VerbDef& v : Table())
        if (v.name == name) return &v;
    return nullptr;
}

const VerbDef* VerbOfLine(const std::vector<std::string>& args) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (!IsOption(args[i])) return FindVerb(args[i]);
        const auto arity = ArityOf(args[i]);
        if (arity && *arity != Arity::Flag) ++i;
    }
    return nullptr;
}

bool ReadCommandLine(const std::vector<std::string>& args, Options& o, const VerbDef** verb,
                     std::ostream& err) {
    Reading r{o, err, {}};
    if (!Split(args, r)) return false;
    if (o.verb.empty()) return r.fail("Error: falta el verbo (nivex-batch --help los muestra)");
    const VerbDef* v = FindVerb(o.verb);
    if (!v) return r.fail("Error: verbo desconocido: " + o.verb);
    if (!CheckGeneral(*v, r)) return false;
    const VerbForm* f = FormOf(*v, o.operands, err);
    if (!f || !CheckForm(*v, *f, r)) return false;
    ResolveFiles(*f, o);
    o.gate = GateOf(*f, o);
    *verb = v;
    return true;
}

void PrintHelp(std::ostream& out) {
    out << "Uso: nivex-batch [--projects CARPETA] [--project CODIGO] VERBO [opciones]\n"
           "     nivex-batch VERBO --help       lo que admite un verbo, sus requisitos y sus\n"
           "                                    codigos de salida\n"
           "\n"
           "Opciones generales:\n"
           "  --version          muestra la version del programa\n"
           "  --help             muestra esta ayuda\n"
           "  --projects CARPETA carpeta base de los proyectos\n"
           "  --project AB1      codigo del proyecto (dos letras) y digito del sector\n"
           "  --yes              responde Si a las confirmaciones (si no, No); la admiten\n"
           "                     todos los verbos menos show, print, list-projects y calc\n"
           "\n"
           "Codigos de salida:\n"
           "  0  hecho\n"
           "  1  rehusado o fallido: falta un requisito del menu, un valor no es valido,\n"
           "     un archivo no se pudo leer o escribir, una pregunta se respondio No\n"
           "  2  la linea de ordenes no se entendio; nada se cambio\n"
           "\n"
           "Los archivos se nombran desde la carpeta en que se da la orden.\n"
           "\n"
           "Verbos:\n";
    for (const VerbDef& v : Table())
        out << v.help;
}

void PrintVerbHelp(const VerbDef& v, std::ostream& out) {
    out << v.help;
    const char* general = "ninguna";
    switch (v.project) {
        case ProjectUse::None:
            break;
        case ProjectUse::Base:
            general = "--projects";
            break;
        case ProjectUse::Sector:
            general = "--projects --project --yes";
            break;
        case ProjectUse::Optional:
            general = "--projects --project (opcionales)";
            break;
    }
    for (const VerbForm& f : v.forms) {
        out << '\n' << FormName(v, f) << '\n';
        out << "  argumentos: " << (f.operands.empty() ? "ninguno" : f.operands) << '\n';
        out << "  opciones generales: " << general << '\n';
        out << "  opciones: " << Joined(f.options, "ninguna") << '\n';
        if (!f.required.empty()) out << "  obligatorias: " << Joined(f.required, "") << '\n';
        out << "  requisitos del menu: ";
        if (f.gate.empty())
            out << "ninguno\n";
        else if (f.gate == kListingGate)
            out << "los de la opcion CLAVE\n";
        else
            out << "los de la opcion " << f.gate << '\n';
        out << "  codigos de salida: " << kExitDone << ' ' << kExitRefused << ' '
            << kExitNotUnderstood << '\n';
    }
}

}  // namespace nivex::cli
