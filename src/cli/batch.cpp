#include "cli/batch.h"

#include <filesystem>
#include <ostream>

#include "cli/batch_context.h"
#include "console/codepage.h"
#include "network/reach_file.h"
#include "project/project_selection.h"
#include "shell/startup.h"

namespace nivex::cli {
namespace {

void PrintHelp(std::ostream& out) {
    out << "Uso: nivex-batch [--projects CARPETA] [--project CODIGO] VERBO [opciones]\n"
           "\n"
           "Opciones generales:\n"
           "  --version          muestra la version del programa\n"
           "  --help             muestra esta ayuda\n"
           "  --projects CARPETA carpeta base de los proyectos\n"
           "  --project AB1      codigo del proyecto (dos letras) y digito del sector\n"
           "  --yes              responde Si a las confirmaciones (si no, No)\n"
           "\n"
           "Verbos:\n"
           "  new [--name TEXTO] [--sectors N]  crea o abre el sector de un proyecto\n"
           "  info                              estado del sector (lineas clave: valor)\n"
           "  list-projects                     lineas de la lista de proyectos\n"
           "  restore-backup                    recupera el archivo de tramos original\n"
           "  show ARCHIVO                      un listado como lo muestra el visor\n"
           "  print ARCHIVO --pdf SALIDA.pdf    imprime un listado en un archivo PDF\n"
           "  list CLAVE [--from N] [--to N] [--min-size MM] [--out ARCHIVO] [--pdf ARCHIVO]\n"
           "                                    escribe un listado del sector (CLAVE: la\n"
           "                                    opcion y la subopcion del menu, p. ej. 4A);\n"
           "                                    sin --out ni --pdf lo muestra como el visor\n"
           "                                    ZA --identificacion TEXTO: el resumen con ese\n"
           "                                    texto; ZB --opciones SSNSSNNS: el indice con\n"
           "                                    sus entradas opcionales\n"
           "  criteria                          los valores de especificaciones (rR.OFFSET)\n"
           "  criteria set rR.OFFSET=VALOR ...  cambia valores con las reglas de su pantalla\n"
           "  config [--class N] [--manning asce|fijo] [--pico METODO] [--minimo METODO]\n"
           "         [--topologia manual|automatico|ambos] [--energia si|no] [--critico si|no]\n"
           "         [--swmm dinamica|cinematica|uniforme] [--relaciones uno|variable]\n"
           "         [--infiltracion horton|greenampt|cn] [--autolimpieza LISTA]\n"
           "         [--texto CAMPO=VALOR ...]\n"
           "                                    configuracion general del proyecto: los\n"
           "                                    clics en el orden dado, luego Aceptar\n"
           "                                    (--pico: harmon, babbit, flores, losangeles,\n"
           "                                    tchobanoglous, gaines, fijo; --minimo:\n"
           "                                    maxhorario, maxdiario, medio, mindiario,\n"
           "                                    minhorario, fijo; LISTA: vlleno, ras2016,\n"
           "                                    vreal, tractiva, pendiente, separados por\n"
           "                                    comas; CAMPO: consultor, correo, pais,\n"
           "                                    entidad, proyecto, fecha)\n"
           "  simulate --horizontal H --vertical V --length L --slope S --ground G\n"
           "                                    genera un proyecto simulado (cuadricula)\n"
           "  reaches export [--out ARCHIVO]    los tramos como tabla CSV (sin --out, en "
           "pantalla)\n"
           "  reaches import ARCHIVO.csv [--yes] reemplaza los tramos por los de la tabla\n"
           "  reaches move PRIMERA ULTIMA DESPUES [--yes]\n"
           "                                    mueve las lineas PRIMERA a ULTIMA despues de\n"
           "                                    la linea DESPUES y deja el orden en firme\n"
           "  import-swmm MODELO.inp [--yes]    entra un modelo SWMM 5 como red del proyecto\n"
           "                                    (un tramo por conducto; sin --yes la pregunta\n"
           "                                    se responde No y nada se escribe)\n"
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
           "                                    sin --project, los criterios de uno nuevo)\n"
           "  controls [--yes]                  controles de calidad A, B, C y D (sin --yes las\n"
           "                                    confirmaciones se responden No)\n"
           "  design [--opciones SSNS] [--alternativa FILA] [--yes]\n"
           "                                    diseña las alternativas como el menu y luego la\n"
           "                                    de la fila FILA del cuadro (por omision la 1)\n"
           "                                    con las cuatro respuestas de opciones\n"
           "  alternatives [--listado ARCHIVO]  el cuadro de alternativas en CSV, o el listado\n"
           "                                    Comparacion Alternativas en ARCHIVO\n"
           "  dump design [--csv]               los registros del diseño (ZSDB), uno por fila\n"
           "  swmm write|run [--yes]            escribe el modelo SWMM del diseño (write) y lo\n"
           "                                    corre con el motor SWMM leyendo sus resultados\n"
           "                                    (run); sin --yes la pregunta se responde No y\n"
           "                                    nada se escribe\n"
           "  review                            revision del diseño: escribe las listas de\n"
           "                                    problemas y deficiencias (list 6B, 6C, 6D) y\n"
           "                                    muestra los conteos del resumen (clave: valor)\n"
           "  stages [show]                     tramos de cada etapa de construccion del diseño\n"
           "  stages set LINEA=ETAPA ...        da etapas (0 a 3) a lineas del diseño con las\n"
           "                                    reglas de su pantalla y cuenta las etapas\n"
           "  quantities                        cantidades de obra: escribe los archivos de\n"
           "                                    cantidades e imprime sus estadisticas y totales\n"
           "  budget [--yes]                    presupuesto: escribe los archivos de cada\n"
           "                                    sistema e imprime sus capitulos y su total\n"
           "  prices export [--out ARCHIVO]     precios unitarios en CSV (capitulo,item,precio)\n"
           "  prices import ARCHIVO.csv         precios unitarios desde un CSV como el de export;\n"
           "                                    una fila errada no deja cambiar nada\n"
           "  globals                           items de precio global guardados\n"
           "  globals set N \"DESCRIPCION\" ETAPA VALOR\n"
           "                                    da la fila N (1 a 17) de los precios globales\n";
}

struct Verb {
    const char* name;
    int (*run)(Batch&);
};

const Verb kVerbs[] = {
    {"new", VerbNew},
    {"info", VerbInfo},
    {"list-projects", VerbListProjects},
    {"restore-backup", VerbRestoreBackup},
    {"show", VerbShow},
    {"print", VerbPrint},
    {"list", VerbList},
    {"alternatives", VerbAlternatives},
    {"criteria", VerbCriteria},
    {"config", VerbConfig},
    {"simulate", VerbSimulate},
    {"reaches", VerbReaches},
    {"import-swmm", VerbImportSwmm},
    {"controls", VerbControls},
    {"calc", VerbCalc},
    {"design", VerbDesign},
    {"dump", VerbDump},
    {"swmm", VerbSwmm},
    {"review", VerbReview},
    {"stages", VerbStages},
    {"quantities", VerbQuantities},
    {"budget", VerbBudget},
    {"prices", VerbPrices},
    {"globals", VerbGlobals},
};

bool Parse(const std::vector<std::string>& args, Options& o, std::ostream& err) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (TakesValue(a)) {
            if (i + 1 >= args.size()) {
                err << "Error: falta el valor de " << a << '\n';
                return false;
            }
            const std::string& v = args[++i];
            if (a == "--projects")
                o.projects = v;
            else if (a == "--project")
                o.project = v;
            else
                o.values[a] = v;
            o.ordered.emplace_back(a, v);
        } else if (a == "--yes") {
            o.yes = true;
        } else if (a == "--csv") {
            o.values[a].assign(1, '1');  // a flag: present or not
        } else if (!a.empty() && a[0] == '-') {
            err << "Error: opcion desconocida: " << a << '\n';
            return false;
        } else if (o.verb.empty()) {
            o.verb = a;
        } else {
            o.operands.push_back(a);
        }
    }
    return true;
}

// "AB1" into the dialog's fields; false when it is not two letters and a digit.
bool FieldsOf(const std::string& code, const std::string& sectors,
              project::SelectionFields& fields) {
    if (code.size() != 2 && code.size() != 3) return false;
    fields = {};
    for (size_t i = 0; i < 2; ++i) {
        const char c = project::ProjectSelection::CodeKey(code[i]);
        if (c < 'A' || c > 'Z') return false;
        fields.code += c;
    }
    fields.sector = code.size() == 3 ? code.substr(2) : "0";
    if (fields.sector[0] < '0' || fields.sector[0] > '9') return false;
    fields.sectors = sectors.empty() ? "1" : sectors;
    if (fields.sectors.size() != 1 || fields.sectors[0] < '1' || fields.sectors[0] > '9')
        return false;
    if (!project::ProjectSelection::CountFieldOpen(fields.sector))
        fields = project::ProjectSelection::LeaveSector(fields);
    return true;
}

// The base folder listed as the dialog lists it.
bool ListBase(Batch& b, project::ProjectSelection& selection) {
    const std::string& base = b.options.projects;
    if (base.empty()) {
        b.err << "Error: falta --projects CARPETA\n";
        return false;
    }
    b.session.folders.project = base;
    switch (selection.List(base)) {
        case project::ListOutcome::Listed:
            return true;
        case project::ListOutcome::FolderMissing:
            b.err << "ERROR... No existe ese directorio: " << base << '\n';
            return false;
        case project::ListOutcome::Duplicate:
            return false;  // the box has been printed
    }
    return false;
}

bool SectorExists(const project::ProjectSelection& selection, const project::SelectionFields& f) {
    for (const auto& entry : selection.entries())
        if (entry.extension.substr(0, 2) == f.code) {
            std::error_code ec;
            const auto folder = std::filesystem::path(selection.baseFolder()) / entry.folder;
            return std::filesystem::exists(folder / ("XSDA." + f.code + f.sector), ec);
        }
    return false;
}

// Who holds the sector while a verb runs, and whether the verb changes it: every verb
// does unless it only shows what the sector holds.
project::SectorUse UseOf(const Options& o) {
    const std::string sub = o.operands.empty() ? "" : o.operands[0];
    project::SectorUse use;
    use.program = "nivex-batch " + o.verb;
    for (const char* named : {"criteria", "reaches", "prices", "globals", "stages", "swmm", "list"})
        if (o.verb == named && !sub.empty()) use.program += " " + sub;
    bool reads = o.verb == "info" || o.verb == "dump" || o.verb == "calc";
    if (o.verb == "criteria" || o.verb == "globals") reads = o.operands.empty();
    if (o.verb == "stages") reads = sub.empty() || sub == "show";
    if (o.verb == "reaches" || o.verb == "prices") reads = sub == "export";
    if (o.verb == "alternatives") reads = !o.has("--listado");
    use.changes = !reads;
    return use;
}

}  // namespace

bool TakesValue(const std::string& option) {
    for (const char* o : {"--projects",
                          "--project",
                          "--name",
                          "--sectors",
                          "--pdf",
                          "--out",
                          "--from",
                          "--to",
                          "--min-size",
                          "--class",
                          "--manning",
                          "--pico",
                          "--minimo",
                          "--topologia",
                          "--energia",
                          "--critico",
                          "--swmm",
                          "--relaciones",
                          "--infiltracion",
                          "--autolimpieza",
                          "--texto",
                          "--horizontal",
                          "--vertical",
                          "--length",
                          "--slope",
                          "--ground",
                          "--diameter",
                          "--n",
                          "--flow",
                          "--modo",
                          "--llenado",
                          "--opciones",
                          "--identificacion",
                          "--alternativa",
                          "--listado"})
        if (option == o) return true;
    return false;
}

Batch::Batch(const Options& o, std::ostream& out_, std::ostream& err_)
    : options(o),
      out(out_),
      err(err_),
      ui(err_, o.yes),
      console(switches, ui),
      screen(console),
      progress(err_),
      session(switches, console, screen, ui, desktop, settings, menu) {
    switches.beepSilenced = true;
    session.progress = &progress;
    std::error_code ec;
    session.folders.start = std::filesystem::current_path(ec).string();
}

int Batch::Fail(const std::string& message) {
    err << message << '\n';
    return 1;
}

int Batch::OpenSector(bool create) {
    project::SelectionFields fields;
    if (!FieldsOf(options.project, options.value("--sectors"), fields))
        return Fail("Error: --project debe ser dos letras y el digito del sector (AB1)");
    project::ProjectSelection selection(session, session.project);
    if (!ListBase(*this, selection)) return 1;
    if (!create && !SectorExists(selection, fields))
        return Fail("Error: no existe el proyecto " + fields.code + fields.sector + " en " +
                    options.projects);
    // The lock is taken here, for every verb that changes the sector, before any write.
    if (selection.Accept(fields, UseOf(options)) != 'S')
        return Fail("Error: el proyecto " + fields.code + fields.sector + " no fue aceptado");
    // A rewrite that was interrupted may have left the index or the header behind; its
    // holder puts them right.
    std::string error;
    if (!session.project.onlyReads() && !network::SettleNetworkFiles(session.project, &error))
        return Fail(error);
    return 0;
}

int VerbListProjects(Batch& b) {
    project::ProjectSelection selection(b.session, b.session.project);
    if (!ListBase(b, selection)) return 1;
    for (const std::string& line : selection.lines())
        b.out << toUtf8(line) << '\n';
    return 0;
}

int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        PrintHelp(err);
        return 2;
    }
    for (const auto& arg : args) {
        if (arg == "--version") {
            out << shell::kVersionText << '\n';
            return 0;
        }
        if (arg == "--help" || arg == "-h") {
            PrintHelp(out);
            return 0;
        }
    }
    Options options;
    if (!Parse(args, options, err)) return 2;
    if (!options.projects.empty()) {
        // Accepting a project changes the current folder: the base must not depend on it.
        std::error_code ec;
        auto absolute = std::filesystem::absolute(options.projects, ec);
        if (!ec) options.projects = absolute.lexically_normal().string();
        while (options.projects.size() > 1 && options.projects.back() == '/')
            options.projects.pop_back();
    }
    // The files a verb writes are named from where the command was given, for the same
    // reason.
    for (const char* option : {"--out", "--pdf", "--listado"}) {
        auto it = options.values.find(option);
        if (it == options.values.end() || it->second.empty()) continue;
        std::error_code ec;
        auto absolute = std::filesystem::absolute(it->second, ec);
        if (!ec) it->second = absolute.lexically_normal().string();
    }
    const Verb* verb = nullptr;
    for (const Verb& v : kVerbs)
        if (options.verb == v.name) verb = &v;
    if (!verb) {
        err << "Error: verbo desconocido: " << (options.verb.empty() ? "(ninguno)" : options.verb)
            << '\n';
        return 2;
    }
    std::error_code ec;
    const auto start = std::filesystem::current_path(ec);
    int rc;
    {
        Batch batch(options, out, err);
        rc = verb->run(batch);
    }
    // Accepting a project makes its folder current; a batch caller keeps its own.
    std::filesystem::current_path(start, ec);
    return rc;
}

}  // namespace nivex::cli
