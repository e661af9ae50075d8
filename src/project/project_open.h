#pragma once
// Opening the chosen sector's control file: loading an existing project, initialising a
// new one, what sectors 2 to 9 share with sector 1, the confirmation question and the
// window captions.

#include <string>

#include "project/project.h"
#include "specs/criteria_store.h"
#include "specs/espec.h"

namespace nivex::project {

// Opens the control file of p.files and loads it: an existing project reads its records
// into the header and the design criteria, repaired (missing and repaired records are
// written back); an empty file gets the six records of a new project with every
// default. empty tells which. A damaged file is repaired only with the consent (see
// LoadDesignCriteria). False with p.error set; the file is then left open for the caller
// to close.
bool LoadControl(Project& p, bool& empty, const specs::RepairConsent& consent = {});

// What a sector 2 to 9 takes from sector 1 (the identity texts).
void ShareWithSectorOne(const shell::ProyectoT& sectorOne, shell::ProyectoT& header);
// ... and the tables they use from it: the system kind, the commercial diameters, the
// depth ranges and the manhole limits.
void ShareWithSectorOne(const specs::EspecT& sectorOne, specs::EspecT& e);
// Sectors 2 to 9: reads sector 1's records from disk, shares them and writes records 0,
// 1, 3 and 5. Nothing happens for the other sectors or when sector 1 holds no record; a
// damaged sector 1 is refused with its message.
bool TakeSectorOneData(Project& p);

// The text of the Yes/No confirmation ("\r\n" between its lines).
std::string ConfirmationText(const Project& p);

// After 'S': BackupExists, the captions, the consultant; record 0 written (StageDone[1]
// cleared when no design alternative was chosen).
bool FinishOpening(Project& p);

// " Diseño ..." text of the topology mode (1 manual, 2 automatic, 3 both; others 1).
std::string DesignModeText(int mode);

// What the window caption adds to the base caption for the design alternative chosen (its
// position in the alternatives table; 0 the network as entered).
std::string AlternativeCaption(long alternative);

}  // namespace nivex::project
