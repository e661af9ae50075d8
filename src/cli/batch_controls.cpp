// The four network quality controls from the command line, in the order of the sub-menu.

#include <string>
#include <vector>

#include "cli/batch_context.h"
#include "console/codepage.h"
#include "network/controls_screen.h"
#include "network/network_controls.h"

namespace nivex::cli {

int VerbControls(Batch& b);

namespace {

using network::ErrorRow;

std::string RowLine(const ErrorRow& r) {
    std::string s;
    if (r.line > 0) s = "linea " + std::to_string(r.line) + ": ";
    if (!r.upstream.empty() || !r.downstream.empty())
        s += toUtf8(r.upstream) + " - " + toUtf8(r.downstream) + ": ";
    return s + toUtf8(r.text);
}

struct Outcome {
    bool passed = false;
    std::vector<std::string> rows;  // UTF-8
};

bool Confirmed(Batch& b, const std::string& question) {
    return b.ui.askYesNo(question, "Confirmacion") == 'S';
}

bool ControlA(Batch& b, Outcome& o, std::string& error) {
    network::SpecificationCheck check;
    if (!network::RunControlA(b.session.project, check, &error)) return false;
    o.passed = check.passed();
    for (const std::string& line : check.lines)
        o.rows.push_back(toUtf8(line));
    for (const std::string& line : check.missingData)
        o.rows.push_back(toUtf8(line));
    if (check.missingRequired) o.rows.push_back("Debe completar la informacion faltante");
    return true;
}

bool ControlB(Batch& b, Outcome& o, std::string& error) {
    project::Project& p = b.session.project;
    network::ReachCheck check;
    if (!network::RunControlB(p, check, &error)) return false;
    for (const ErrorRow& r : check.finalNodes)
        o.rows.push_back(RowLine({r.line, r.upstream, r.downstream, 0, 0,
                                  cp("< NODOS FINALES SIN NOMENCLATURA UNICA >")}));
    for (const std::string& line : check.lines())
        o.rows.push_back(toUtf8(line));
    if (check.allAreasZero) o.rows.push_back(toUtf8(network::ZeroAreasLine()));
    if (check.needsConfirmation() && Confirmed(b, network::ZeroAreasLine()) &&
        !network::MarkControlPassed(p, network::kControlB, &error))
        return false;
    o.passed = p.header.ControlsDone[network::kControlB] != 0;
    return true;
}

bool ControlC(Batch& b, Outcome& o, std::string& error) {
    if (!Confirmed(b, network::kRunCheckQuestion)) return true;
    std::vector<ErrorRow> rows;
    if (!network::RunControlC(b.session.project, rows, &error)) return false;
    o.passed = rows.empty();
    for (const ErrorRow& r : rows)
        o.rows.push_back(RowLine(r));
    return true;
}

bool ControlD(Batch& b, Outcome& o, std::string& error) {
    if (!Confirmed(b, network::kRunCheckQuestion)) return true;
    network::OrderCheck check;
    if (!network::RunControlD(b.session.project, check, &error)) return false;
    o.passed = check.passed();
    for (const ErrorRow& r : check.rows)
        o.rows.push_back(RowLine(r));
    return true;
}

}  // namespace

int VerbControls(Batch& b) {
    b.ui.setYes(true);  // the sector itself opens without asking
    if (int rc = b.OpenSector(false)) return rc;
    b.ui.setYes(b.options.yes);
    project::Project& p = b.session.project;
    std::string error;
    if (!network::EnterControls(p, &error)) return b.Fail(error);
    // The main menu refuses the controls of a sector without reaches; so does the batch.
    std::vector<network::TramoT> reaches;
    if (!network::ReadStoredReaches(p, reaches, &error)) return b.Fail(error);
    if (reaches.empty()) return b.Fail("... Falta entrar los datos de los tramos ...");

    bool (*const controls[network::kControlCount])(Batch&, Outcome&, std::string&) = {
        ControlA, ControlB, ControlC, ControlD};
    std::vector<Outcome> outcomes(network::kControlCount);
    for (int k = 0; k < network::kControlCount; ++k) {
        Outcome& o = outcomes[static_cast<size_t>(k)];
        if (p.header.ControlsDone[static_cast<size_t>(k)]) {
            o.passed = true;
            continue;
        }
        if (!controls[k](b, o, error)) return b.Fail(error);
    }
    if (!network::SettleDesignStage(p, &error)) return b.Fail(error);

    bool all = true;
    for (int k = 0; k < network::kControlCount; ++k) {
        const bool passed = outcomes[static_cast<size_t>(k)].passed;
        all = all && passed;
        b.out << static_cast<char>('A' + k) << ": " << (passed ? "OK" : "??") << '\n';
    }
    for (int k = 0; k < network::kControlCount; ++k) {
        const Outcome& o = outcomes[static_cast<size_t>(k)];
        if (o.passed) continue;
        for (const std::string& row : o.rows)
            b.out << '[' << static_cast<char>('A' + k) << "] " << row << '\n';
    }
    return all ? 0 : 1;
}

}  // namespace nivex::cli
