#pragma once
// What the general listings share: loading the sector, the confirmation boxes, the boxes
// drawn with the DOS line codes and the cells of their rows. Texts are code-page bytes.

#include <string>
#include <string_view>
#include <vector>

#include "shell/session.h"

namespace nivex::network::general {

constexpr const char* kLegend = "F9^borrar F11^recup.dato ESC^salir";

// Header and criteria of the open sector into session.project. False after an error box.
bool LoadSector(shell::Session& s);

// The sheet-range box of B, C, E, F under the window title: true only for Enter.
bool ConfirmWithRange(shell::Session& s, const char* title);
// The question of A and D under the window title: true only for Yes. Every sheet is kept.
bool ConfirmWithQuestion(shell::Session& s, const char* title, const char* question);

// "... espere ..." while the files are read.
void ShowWait(shell::Session& s);

void ShowFileError(shell::Session& s, const std::string& utf8Message);

// A column of a box: its width and its caption over up to three rows. A column whose
// first caption row spans the next column holds that caption; the next one has none.
struct BoxColumn {
    int width;
    const char* caption[3];
    bool spansNext = false;
};

std::string BoxTop(const std::vector<BoxColumn>& columns);
std::string BoxSeparator(const std::vector<BoxColumn>& columns);
std::string BoxBottom(const std::vector<BoxColumn>& columns);
std::string BoxCaption(const std::vector<BoxColumn>& columns, int row);
// The cells between bars; each cell already has its column's width.
std::string BoxRow(const std::vector<std::string>& cells);

std::string Centre(std::string_view text, int width);
// Dashes of a cell whose value is not printed: two blanks, the dashes, one blank.
std::string Dashes(int width);
// The value in its picture with blanks around it, or the cell's dashes.
std::string NumberCell(bool dashed, double value, std::string_view picture, int before = 0,
                       int after = 0);
// A manhole name in its five places.
std::string NameCell(const std::string& name);

// The number of rain equations, or of rainfall series in the SWMM hyetograph classes.
int RainCount(const shell::Session& s);
bool HyetographClass(const shell::Session& s);

}  // namespace nivex::network::general
