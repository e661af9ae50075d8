#pragma once
// The criteria screens of main choice 1, one per sub-option letter. Each edits
// session.project.espec (loaded by the caller, the control file open) and returns when
// the user leaves it; the caller saves the records that changed and clears the stages
// they invalidate.

#include "shell/session.h"

namespace nivex::specs {

void ScreenMaxDiameters(shell::Session& s);      // T
void ScreenDiameters(shell::Session& s);         // B
void ScreenMinimumSlopes(shell::Session& s);     // R
void ScreenExcavationRanges(shell::Session& s);  // C
void ScreenTrenchWidths(shell::Session& s);      // D
void ScreenManholeRanges(shell::Session& s);     // E
void ScreenManholeDiameters(shell::Session& s);  // N
void ScreenGeneral(shell::Session& s);           // F
void ScreenSanitary(shell::Session& s);          // G
void ScreenStorm(shell::Session& s);             // H
void ScreenSanitaryUnits(shell::Session& s);     // I
void ScreenRainEquations(shell::Session& s);     // J
void ScreenHyetographs(shell::Session& s);       // S
void ScreenSwmmAdjustment(shell::Session& s);    // L
void ScreenReductionFactors(shell::Session& s);  // O
void ScreenConstruction(shell::Session& s);      // K

}  // namespace nivex::specs
