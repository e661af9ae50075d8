#include "cli/batch.h"

#include <filesystem>
#include <ostream>

#include "cli/batch_context.h"
#include "cli/batch_verbs.h"
#include "console/codepage.h"
#include "network/reach_file.h"
#include "project/project_selection.h"
#include "shell/gating.h"
#include "shell/startup.h"

namespace nivex::cli {
namespace {

// "AB1" into the dialog's fields; the message naming the option at fault, or "".
std::string FieldsOf(const std::string& code, const std::string& sectors,
                     project::SelectionFields& fields) {
    const std::string badCode = "Error: --project debe ser dos letras y el digito del sector (AB1)";
    if (code.size() != 2 && code.size() != 3) return badCode;
    fields = {};
    for (size_t i = 0; i < 2; ++i) {
        const char c = project::ProjectSelection::CodeKey(code[i]);
        if (c < 'A' || c > 'Z') return badCode;
        fields.code += c;
    }
    fields.sector = code.size() == 3 ? code.substr(2) : "0";
    if (fields.sector[0] < '0' || fields.sector[0] > '9') return badCode;
    fields.sectors = sectors.empty() ? "1" : sectors;
    if (fields.sectors.size() != 1 || fields.sectors[0] < '1' || fields.sectors[0] > '9')
        return "Error: --sectors debe ser el numero de sectores, de 1 a 9";
    if (!project::ProjectSelection::CountFieldOpen(fields.sector))
        fields = project::ProjectSelection::LeaveSector(fields);
    return {};
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
    for (const char* named : {"criteria", "reaches", "pozos", "prices", "globals", "stages", "swmm",
                              "list", "exportar"})
        if (o.verb == named && !sub.empty()) use.program += " " + sub;
    bool reads = o.verb == "info" || o.verb == "dump" || o.verb == "calc" || o.verb == "plano" ||
                 o.verb == "perfiles" || o.verb == "exportar";
    if (o.verb == "criteria" || o.verb == "globals") reads = o.operands.empty();
    if (o.verb == "stages") reads = sub.empty() || sub == "show";
    if (o.verb == "reaches" || o.verb == "prices" || o.verb == "pozos") reads = sub == "export";
    if (o.verb == "alternatives") reads = !o.has("--listado");
    use.changes = !reads;
    return use;
}

}  // namespace

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
    if (const std::string wrong = FieldsOf(options.project, options.value("--sectors"), fields);
        !wrong.empty())
        return Fail(wrong);
    project::ProjectSelection selection(session, session.project);
    // A damaged control file is never repaired here: --yes answers a verb's questions, not
    // this one, which the desktop program asks.
    selection.setRepairConsent([](const std::string&) { return false; });
    if (!ListBase(*this, selection)) return 1;
    if (!create && !SectorExists(selection, fields))
        return Fail("Error: no existe el proyecto " + fields.code + fields.sector + " en " +
                    options.projects);
    // The lock is taken here, for every verb that changes the sector, before any write.
    if (selection.Accept(fields, UseOf(options)) != 'S')
        return Fail("Error: el proyecto " + fields.code + fields.sector + " no fue aceptado");
    // A rewrite that was interrupted may have left the index or the header behind; its
    // holder puts them right.
    std::string error, damage;
    if (!session.project.onlyReads() &&
        !network::SettleNetworkFiles(session.project, &error, &damage))
        return Fail(error);
    if (!damage.empty()) err << "Aviso: " << damage << '\n';
    return Gate();
}

// The menu's refusal of the verb's item, from record 0 as the menu reads it before every
// choice.
int Batch::Gate() {
    if (options.gate.empty()) return 0;
    project::Project& p = session.project;
    if (p.OpenControl()) {
        if (p.control.RecordCount() >= 1) p.ReadHeader();
        p.CloseControl();
    }
    const auto key = [this](size_t k) {
        return k < options.gate.size() ? static_cast<uint8_t>(options.gate[k]) : uint8_t{0};
    };
    std::string refusal;
    if (options.gate == kPlanGate)
        refusal = shell::DrawingGateMessage(shell::DrawingKind::Plan, p.header);
    else if (options.gate == kProfilesGate)
        refusal = shell::DrawingGateMessage(shell::DrawingKind::Profiles, p.header);
    else
        refusal = shell::GateMessageOfKeys(key(0), key(1), p.header, p.selection.sectors);
    return refusal.empty() ? 0 : Fail(toUtf8(refusal));
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
        return kExitNotUnderstood;
    }
    for (const auto& arg : args) {
        if (arg == "--version") {
            out << shell::kVersionText << '\n';
            return kExitDone;
        }
    }
    for (const auto& arg : args) {
        if (arg == "--help" || arg == "-h") {
            if (const VerbDef* verb = VerbOfLine(args))
                PrintVerbHelp(*verb, out);
            else
                PrintHelp(out);
            return kExitDone;
        }
    }
    Options options;
    const VerbDef* verb = nullptr;
    if (!ReadCommandLine(args, options, &verb, err)) return kExitNotUnderstood;
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
