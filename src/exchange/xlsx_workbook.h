#pragma once
// The workbook of a sector written with libxlsxwriter: the design table, the quantities by
// system and stage, the budget with formulas that add up, and a note on the sheets left out.

#include <string>

#include "exchange/xlsx_content.h"

namespace nivex::exchange {

// The sheet names, in order.
inline constexpr const char* kDesignSheet = "Diseño";
inline constexpr const char* kQuantitySheet = "Cantidades";
inline constexpr const char* kBudgetSheet = "Presupuesto";
inline constexpr const char* kNoteSheet = "Notas";

// Written whole to a temporary file beside path and renamed over it. False with *error
// (UTF-8, naming the file); the old file stays and no temporary file is left.
bool WriteWorkbook(const WorkbookContent& content, const std::string& path, std::string* error);

}  // namespace nivex::exchange
