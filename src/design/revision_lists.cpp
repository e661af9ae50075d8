// The revision over the design copy: the three list files with their pages, and the
// summary page with the count of every kind of finding.

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "console/codepage.h"
#include "design/revision.h"
#include "listings/listing_file.h"
#include "network/network_controls.h"
#include "network/reach_file.h"
#include "shell/session.h"

namespace nivex::design {

using network::TramoT;

namespace {

constexpr const char* kNoReaches = "... Falta entrar los datos de los tramos ...";
constexpr const char* kNoControls = "... Falta hacer los controles de calidad ...";
constexpr const char* kNoDesign = "... Falta hacer el diseño del proyecto ...";
constexpr const char* kOtherDesign = "... Falta hacer o repetir el diseño del proyecto ...";

constexpr int kProblemPageLength = 87;
constexpr int kListPageLength = 88;
constexpr int kProblemFirstCount = 9;
constexpr int kListFirstCount = 8;
constexpr int kModelProblemIndent = 5;
constexpr int kSummaryWidth = 90;

bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

void Remove(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

std::string Blanks(int n) {
    return std::string(static_cast<size_t>(std::max(n, 0)), ' ');
}

// One list file: its pages of one boxed table, each page closed by the table's bottom
// line and the page footer, and the line count that decides the page breaks.
class RevisionList {
  public:
    RevisionList(shell::Session& s, std::string path, std::string title, int width, int indent,
                 int pageLength, int firstCount, std::vector<std::string> heading,
                 std::string bottom)
        : s_(s),
          path_(std::move(path)),
          title_(std::move(title)),
          tableWidth_(width),
          indent_(indent),
          pageLength_(pageLength),
          firstCount_(firstCount),
          heading_(std::move(heading)),
          bottom_(std::move(bottom)) {}

    bool Create() { return file_.Create(path_); }

    void StartPage() {
        s_.listing.SheetNumber = sheet_;
        pageWidth_ = tableWidth_;
        listings::PageHeader(s_, cp(title_), pageWidth_, margin_, file_);
        sheet_ = s_.listing.SheetNumber;
        for (const std::string& line : heading_)
            Put(line);
        count_ = firstCount_;
    }

    // Before anything of a reach is written: a full page is closed and the next begun.
    void BreakIfFull() {
        if (count_ < pageLength_) return;
        Put(bottom_);
        Rule();
        file_.WriteLine(std::string("\x1bH") + listings::kEndOfPage);
        StartPage();
    }

    void Finding(const std::string& line) {
        Put(line);
        ++count_;
    }

    // The bottom line, the closing lines and the closing rule.
    bool Close(const std::vector<std::string>& closing) {
        Put(bottom_);
        for (const std::string& line : closing)
            Put(line);
        Rule();
        file_.WriteLine("\x1bH");
        return file_.Close();
    }

    void Abandon() { file_.Close(); }

    // A list without findings is left as an empty file.
    bool Empty() { return file_.Create(path_) && file_.Close(); }

    bool failed() const { return file_.failed(); }
    const std::string& error() const { return file_.error(); }
    const std::string& path() const { return path_; }
    int count() const { return count_; }

  private:
    void Put(const std::string& line) { file_.WriteLine(Blanks(margin_ + indent_) + line); }
    void Rule() {
        file_.Write("\x1bG");
        file_.WriteLine(Blanks(margin_) + std::string(static_cast<size_t>(pageWidth_),
                                                      static_cast<char>(listings::kDoubleLine)));
    }

    shell::Session& s_;
    listings::TextFile file_;
    std::string path_, title_;
    int tableWidth_, indent_, pageLength_, firstCount_;
    std::vector<std::string> heading_;
    std::string bottom_;
    int sheet_ = 1;
    int pageWidth_ = 0, margin_ = 0;
    int count_ = 0;
};

std::string Count(int n) {
    return std::to_string(n);
}

}  // namespace

std::string RevisionInputProblem(const std::vector<TramoT>& records, int reachCount) {
    if (reachCount <= 0) return cp(kNoReaches);
    if (static_cast<int>(records.size()) < reachCount) return cp(kOtherDesign);
    // The design numbers every record of the network it designed: a copy left by an
    // earlier network does not carry the numbers of this one.
    for (int k = 0; k < reachCount; ++k)
        if (records[static_cast<size_t>(k)].Diseno.I16[0] != k + 1) return cp(kOtherDesign);
    return "";
}

bool LoadRevisionInput(shell::Session& s, RevisionInput& input, RevisionCriteria& criteria,
                       std::string* title, std::string* message) {
    project::Project& p = s.project;
    title->clear();
    std::string error;
    if (!network::LoadControlState(p, &error)) {
        *title = "Error";
        *message = cp(error);
        return false;
    }
    const auto& done = p.header.ControlsDone;
    if (p.header.ReachCount <= 0) {
        *message = cp(kNoReaches);
        return false;
    }
    if (!std::all_of(done.begin(), done.end(), [](uint8_t f) { return f != 0; })) {
        *message = cp(kNoControls);
        return false;
    }
    const std::string path = p.files.designCopy();
    if (p.header.StageDone[1] == 0 || !Exists(path)) {
        *message = cp(kNoDesign);
        return false;
    }
    network::TramoFile file;
    if (!file.Open(path)) {
        *title = "Error";
        *message = cp(file.error());
        return false;
    }
    input.records.clear();
    input.records.reserve(static_cast<size_t>(file.count()));
    for (int line = 1; line <= file.count(); ++line) {
        TramoT t;
        if (!file.Read(line, t)) {
            *title = "Error";
            *message = cp(file.error());
            file.Close();
            return false;
        }
        input.records.push_back(std::move(t));
    }
    file.Close();
    *message = RevisionInputProblem(input.records, p.header.ReachCount);
    if (!message->empty()) return false;
    input.reachCount = p.header.ReachCount;
    criteria = RevisionCriteriaOf(p.espec, p.header);
    return true;
}

bool WriteRevisionLists(shell::Session& s, const RevisionInput& input, const RevisionCriteria& c,
                        RevisionCounts& counts, const std::function<void(int, int)>& progress,
                        std::string* error) {
    const project::FileNames& f = s.project.files;
    const bool model = c.modelClass;
    for (const std::string& path : {f.problems(), f.deficiencies(), f.rasDeficiencies()})
        Remove(path);
    counts = RevisionCounts{};
    const int n = std::min(input.reachCount, static_cast<int>(input.records.size()));
    counts.reaches = n;

    RevisionList problems(s, f.problems(), ProblemTitle(model), ProblemTableWidth(model),
                          model ? kModelProblemIndent : 0, kProblemPageLength, kProblemFirstCount,
                          ProblemHeading(model), ProblemBottom(model));
    RevisionList deficiencies(s, f.deficiencies(), DeficiencyTitle(), kFindingTableWidth, 0,
                              kListPageLength, kListFirstCount, FindingHeading(), FindingBottom());
    RevisionList ras(s, f.rasDeficiencies(), RasTitle(), kFindingTableWidth, 0, kListPageLength,
                     kListFirstCount, FindingHeading(), FindingBottom());
    std::array<RevisionList*, 3> lists = {&problems, &deficiencies, &ras};
    auto fail = [&](const RevisionList& list) {
        *error = list.error();
        for (RevisionList* l : lists) {
            l->Abandon();
            Remove(l->path());
        }
        return false;
    };
    for (RevisionList* l : lists)
        if (!l->Create()) return fail(*l);
    for (RevisionList* l : lists)
        l->StartPage();

    for (int k = 1; k <= n; ++k) {
        const TramoT& t = input.records[static_cast<size_t>(k - 1)];
        if (progress) progress(k, n);
        // The lines of a reach stay on one page; the last reach may run past its end.
        if (k < n)
            for (RevisionList* l : lists)
                l->BreakIfFull();
        const ReachFindings found = FindingsOf(c, input.records, k);
        if (found.capacity) {
            ++counts.capacity;
            problems.Finding(CapacityLine(k, t));
        }
        for (const JunctionProblem& j : found.junctions) {
            ++counts.junction;
            problems.Finding(JunctionLine(k, t, j, model));
        }
        for (const Finding& d : found.deficiencies) {
            ++counts.deficiency[static_cast<size_t>(d.code)];
            deficiencies.Finding(FindingLine(k, t, d));
        }
        for (const Finding& r : found.ras) {
            ++counts.ras;
            ras.Finding(FindingLine(k, t, r));
        }
        for (RevisionList* l : lists)
            if (l->failed()) return fail(*l);
    }

    const char* problemNote =
        model ? "NOTA: Por flexibilidad el empalme de tuberias se acepta por bateas"
              : "NOTA: Por flexibilidad el empalme de tuberias se acepta por bateas, cuando no "
                "cumple la norma por claves";
    const bool closed =
        problems.Close({"         TRAMOS REVISADOS   : " + Count(n),
                        "         PROBLEMAS HALLADOS : " + Count(counts.problems()), problemNote});
    if (!closed) return fail(problems);
    if (!deficiencies.Close({"       TRAMOS REVISADOS      : " + Count(n),
                             "       DEFICIENCIAS HALLADAS : " + Count(counts.deficiencies()),
                             "NOTA: Tramos nuevos solo pueden presentar: profundidad grande, "
                             "falta de pozos intermedios, o ser tramos",
                             cp("      iniciales mas bajos que otros con los cuales comparten el "
                                "pozo de inspección(poner pozo separado)")}))
        return fail(deficiencies);
    if (!ras.Close({"       TRAMOS REVISADOS      : " + Count(n),
                    "       DEFICIENCIAS HALLADAS : " + Count(counts.ras)}))
        return fail(ras);

    const std::array<int, 3> totals = {counts.problems(), counts.deficiencies(), counts.ras};
    for (size_t k = 0; k < lists.size(); ++k)
        if (totals[k] == 0 && !lists[k]->Empty()) return fail(*lists[k]);
    return true;
}

bool ReviseSector(shell::Session& s, RevisionSummary& summary,
                  const std::function<void(int, int)>& progress, std::string* title,
                  std::string* message) {
    const project::FileNames& f = s.project.files;
    for (const std::string& path : {f.problems(), f.deficiencies(), f.rasDeficiencies()})
        Remove(path);
    RevisionInput input;
    if (!LoadRevisionInput(s, input, summary.criteria, title, message)) return false;
    std::string error;
    if (!WriteRevisionLists(s, input, summary.criteria, summary.counts, progress, &error)) {
        *title = "Error";
        *message = error;
        return false;
    }
    return true;
}

// ---- Summary page ----

std::string SummaryTitle() {
    return "< RESUMEN DE PROBLEMAS Y DEFICIENCIAS >";
}

std::vector<SummaryItem> SummaryItems(const RevisionSummary& summary) {
    const RevisionCounts& n = summary.counts;
    const RevisionCriteria& c = summary.criteria;
    auto d = [&](int code) { return n.deficiency[static_cast<size_t>(code)]; };
    const int problems = 0, deficiencies = 1, ras = 2;
    if (c.modelClass)
        return {
            {problems, "[A]",
             "[A] .... nodos  que causan inundacion ............. :", c.floodedNodes},
            {problems, "[B]", "[B] .... las claves de entrada y salida no empalman :", n.junction},
            {deficiencies, "[1]",
             "[1] .... nodos  sobrecargados (no es problema) ..... :", c.surchargedNodes},
            {deficiencies, "[2]", "[2] .... el diametro siguiente es mas reducido ..... :", d(2)},
            {deficiencies, "[3]", "[3] .... profundidad a clave insuficiente .......... :", d(6)},
            {deficiencies, "[4]", "[4] .... profundidad a clave muy grande ............ :", d(7)},
            {deficiencies, "[5]", "[5] .... pendientes nulas o negativas .............. :", d(9)},
            {deficiencies, "[6]", "[6] .... tramo inicial enterrado (poner Pozo nuevo). :", d(11)},
            {deficiencies, "[7]", "[7] .... pendiente minima insuficiente ............. :", d(12)},
            {ras, "RAS [1]",
             "[1] ...se presenta regimen cuasicritico ......................... :", n.ras},
        };
    std::vector<SummaryItem> items = {
        {problems, "[A]", "[A] .... tramos con capacidad insuficiente ........ :", n.capacity},
        {problems, "[B]", "[B] .... las claves de entrada y salida no empalman :", n.junction},
        {deficiencies, "[1]", "[1] .... el tubo trabaja demasiado lleno ........... :", d(1)},
        {deficiencies, "[2]", "[2] .... el diametro siguiente es mas reducido ..... :", d(2)},
        {deficiencies, "[3]", "[3] .... velocidad a tubo lleno muy baja ........... :", d(3)},
        {deficiencies, "[4]", "[4] .... velocidad a tubo lleno muy alta ........... :", d(4)},
        {deficiencies, "[5]", "[5] .... velocidad real insuficiente ............... :", d(5)},
        {deficiencies, "[6]", "[6] .... profundidad a clave insuficiente .......... :", d(6)},
        {deficiencies, "[7]", "[7] .... profundidad a clave muy grande ............ :", d(7)},
        {deficiencies, "[8]", "[8] .... faltan camaras caida intermedias (Incluir). :", d(8)},
        {deficiencies, "[9]", "[9] .... pendientes nulas o negativas .............. :", d(9)},
        {deficiencies, "[10]", "[10].... fuerza tractiva insuficiente .............. :", d(10)},
        {deficiencies, "[11]", "[11].... tramo inicial enterrado (poner Pozo nuevo). :", d(11)},
        {deficiencies, "[12]", "[12].... pendiente minima insuficiente ............. :", d(12)},
    };
    if (c.energyJunctionDiameter > 0)
        items.push_back({deficiencies, "[13]",
                         "[13].... mal empalme de energia .................... :", d(13)});
    items.push_back({ras, "RAS [1]",
                     "[1] ...se presenta regimen Critico .............................. :", n.ras});
    return items;
}

std::vector<std::string> SummaryLines(const RevisionSummary& summary) {
    static const std::array<std::pair<int, const char*>, 3> kSections = {{
        {29, "PROBLEMAS DE CAPACIDAD O EMPALME"},
        {21, "DEFICIENCIAS EN TRAMOS EXISTENTES O RESTRINGIDOS"},
        {24, "DEFICIENCIAS SEGUN NORMAS ESPECIALES RAS"},
    }};
    const std::vector<SummaryItem> items = SummaryItems(summary);
    std::vector<std::string> lines = {"", ""};
    for (int section = 0; section < 3; ++section) {
        const auto& [column, heading] = kSections[static_cast<size_t>(section)];
        lines.push_back(Blanks(column) + heading);
        lines.push_back("");
        for (const SummaryItem& item : items)
            if (item.section == section)
                lines.push_back(Blanks(16) + item.label + Count(item.count));
        lines.push_back("");
        lines.push_back("");
    }
    return lines;
}

bool WriteSummaryPage(shell::Session& s, const RevisionSummary& summary) {
    listings::RemoveListingFiles(s);
    if (!listings::OpenListingFile(s)) {
        s.ui.showError(s.listing.file.error(), "Error");
        return false;
    }
    s.listing.SheetNumber = 1;
    int width = kSummaryWidth, margin = 0;
    listings::PageHeader(s, cp(SummaryTitle()), width, margin);
    for (const std::string& line : SummaryLines(summary))
        s.listing.file.WriteLine(line.empty() ? line : Blanks(margin) + line);
    listings::PageFooter(s, margin, width);
    const bool failed = s.listing.file.failed();
    const std::string error = s.listing.file.error();
    listings::CloseListing(s);
    if (failed) {
        listings::RemoveListingFiles(s);
        s.ui.showError(error, "Error");
        return false;
    }
    return true;
}

ListState RevisionListState(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return ListState::Missing;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size == 0) return ListState::Empty;
    return ListState::Holding;
}

}  // namespace nivex::design
