#pragma once
// The box that asks which sheets of a listing to keep (and, for the design listings, the
// smallest collector from which the listing starts) before the listing is written.

#include <cstdint>
#include <string>

#include "shell/session.h"

namespace nivex::listings {

// Sets session.listing.FirstSheet (at least 1) and LastSheet (0: up to the end). Returns
// the key that closed the box: Enter (the "  OK  " button and Alt+Z too) or Esc.
uint8_t AskSheetRange(shell::Session& session, const std::string& title);

// The same box with the minimum collector size (mm) first; size comes in as the starting
// value and goes back as the one chosen.
uint8_t AskSheetRangeAndSize(shell::Session& session, const std::string& title, int& size);

}  // namespace nivex::listings
