// "exportar xlsx --out ARCHIVO": the design table, the quantities and the budget of the sector
// as sheets of one workbook.

#include "cli/batch_exchange.h"
#include "exchange/xlsx_content.h"
#include "exchange/xlsx_workbook.h"

namespace nivex::cli {

int ExportWorkbook(Batch& b) {
    const std::string path = b.options.value("--out");
    if (path.empty()) return b.Fail("Error: exportar xlsx necesita --out ARCHIVO");
    b.ui.setYes(true);  // the sector itself opens without asking
    if (int rc = b.OpenSector(false)) return rc;
    exchange::WorkbookContent content;
    std::string error;
    if (!exchange::LoadWorkbookContent(b.session.project, content, &error))
        return b.Fail("Error: " + error);
    if (!exchange::WriteWorkbook(content, path, &error)) return b.Fail("Error: " + error);
    for (const std::string& note : content.omitted)
        b.err << "Aviso: " << note << '\n';
    std::string sheets = exchange::kDesignSheet;
    if (content.hasQuantities) sheets += std::string(", ") + exchange::kQuantitySheet;
    if (content.hasBudget) sheets += std::string(", ") + exchange::kBudgetSheet;
    if (!content.omitted.empty()) sheets += std::string(", ") + exchange::kNoteSheet;
    b.out << "Libro escrito: " << path << '\n';
    b.out << "hojas: " << sheets << '\n';
    b.out << "tramos: " << content.design.size() << '\n';
    return 0;
}

}  // namespace nivex::cli
