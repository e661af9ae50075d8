// The revision of the design from the command line: the three lists written as main
// choice 6 'A' writes them, and the counts of the summary page printed.

#include "cli/batch_context.h"
#include "console/codepage.h"
#include "design/revision.h"

namespace nivex::cli {

int VerbReview(Batch& b) {
    b.ui.setYes(true);  // the sector opens without asking
    if (int rc = b.OpenSector(false)) return rc;
    b.ui.setYes(b.options.yes);
    design::RevisionSummary summary;
    std::string title, message;
    const bool revised = design::ReviseSector(b.session, summary, nullptr, &title, &message);
    b.session.project.CloseControl();
    if (!revised) return b.Fail(toUtf8(message));
    const design::RevisionCounts& n = summary.counts;
    b.out << "clase: " << summary.criteria.designClass << '\n';
    b.out << "tramos revisados: " << n.reaches << '\n';
    b.out << "problemas: " << n.problems() << '\n';
    b.out << "deficiencias: " << n.deficiencies() << '\n';
    b.out << "deficiencias RAS: " << n.ras << '\n';
    for (const design::SummaryItem& item : design::SummaryItems(summary))
        b.out << item.key << ": " << item.count << '\n';
    return 0;
}

}  // namespace nivex::cli
