#pragma once
// Opening the chosen sector's control file: loading an existing
// project, initialising a new one, the texts sectors 2 to 9 share with sector 1, the
// confirmation question and the window captions.

#include <string>

#include "project/project.h"

namespace nivex::project {

// Opens the control file of p.files and loads it: an existing project reads its records
// (the missing ones are written zeroed) and has offset 338 repaired; an empty file gets
// the six records of a new project. empty tells which. False with p.error set; the
// file is then left open for the caller to close.
bool LoadControl(Project& p, bool& empty);

// What a sector 2 to 9 takes from sector 1 (the identity texts).
void ShareWithSectorOne(const shell::ProyectoT& sectorOne, shell::ProyectoT& header);
// Sectors 2 to 9: reads sector 1's record 0 from disk, shares it and writes record 0.
// Nothing happens for the other sectors or when sector 1 holds no record.
bool TakeSectorOneData(Project& p);

// The text of the Yes/No confirmation ("\r\n" between its lines).
std::string ConfirmationText(const Project& p);

// After 'S': BackupExists, the captions, the consultant; record 0 written (StageDone[1]
// cleared when no design alternative was chosen).
bool FinishOpening(Project& p);

// " Diseño ..." text of the topology mode (1 manual, 2 automatic, 3 both; others 1).
std::string DesignModeText(int mode);

}  // namespace nivex::project
