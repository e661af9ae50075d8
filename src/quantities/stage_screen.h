#pragma once
// "ENTRADA ETAPAS DE CONSTRUCCION" (main choice 8 'A'): the construction stage of each
// reach of the design copy, one line at a time.

namespace nivex::shell {
struct Session;
}

namespace nivex::quantities {

// The screen itself over the design copy of the open sector; F4 ends it with the counting
// of the stages, Esc without.
void StageEntry(shell::Session& s);

// What the menu runs: only in a project of one sector and after the design, otherwise a
// text box says why.
void RunStageEntry(shell::Session& s);

}  // namespace nivex::quantities
