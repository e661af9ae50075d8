#pragma once
// A sector's design criteria in its control file: loading with the load-time repairs,
// the records of a new project, and saving the records a screen changed.

#include <array>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "shell/control_file.h"
#include "specs/espec.h"

namespace nivex::specs {

// Asked, with the message that names the file and the damaged value, whether damaged
// values may be replaced; true to replace them.
using RepairConsent = std::function<bool(const std::string& message)>;

// The first value of the records present (0 to 5) that no save of the program writes,
// as "registro R, posicion P: ..." (UTF-8); empty when there is none.
std::string FindControlDamage(std::array<codec::Bytes, shell::kControlRecords> records,
                              int present);

// "El archivo <path> esta dañado: <damage>" (UTF-8).
std::string DamagedControlMessage(const std::string& path, const std::string& damage);

// Reads the records the open file holds (never past its end; a missing record is read
// as zeros), decodes header and set, repairs them and writes back every record a repair
// changed, and every missing one. False with *error (the file's message, not yet in the
// code page) on a failed read or write, or when a repaired value does not fit its field.
// A value no save of the program writes (a text longer than its field, a real that is not
// a number, a stage flag other than 0 or 1) is damage: without the consent the load fails
// naming the file, record and position and nothing is written; with it the texts are
// blanked, the reals take their defaults and every control and stage must be done again.
bool LoadDesignCriteria(shell::ControlFile& file, shell::ProyectoT& header, EspecT& e,
                        std::string* error, const RepairConsent& consent = {});

// A new sector: buffers cleared, the defaults of the set and of the header in memory
// (the header's ProjectName is kept); when the file is empty, records 0 to 5 written in
// order. False on a failed write (file.error()).
bool InitialiseDesignCriteria(shell::ControlFile& file, shell::ProyectoT& header, EspecT& e);

// Writes record 0 (header and set share it) and every record listed.
bool SaveRecords(shell::ControlFile& file, const shell::ProyectoT& header, const EspecT& e,
                 std::initializer_list<int> records);
bool SaveRecords(shell::ControlFile& file, const shell::ProyectoT& header, const EspecT& e,
                 const std::vector<int>& records);

}  // namespace nivex::specs
