#pragma once
// Which main choices the state of the open sector allows.

#include <cstdint>
#include <string>

#include "shell/control_file.h"

namespace nivex::shell {

// The main choice of a menu key: digits 0..9, X, Y, Z 10..12, anything else 99.
int16_t ChoiceOfKey(uint8_t code);

// The refusal message for a main choice (empty when it may run). sectors: the number of
// sectors of the project; subKey: the sub-option waiting behind the main key.
std::string GateMessage(int choice, const ProyectoT& state, const std::string& sectors,
                        uint8_t subKey);

// The same for a menu item given by its keys ("XC": main key 'X', sub-option 'C'); what
// the menu says when the item is chosen, for nivex-batch's verbs.
std::string GateMessageOfKeys(uint8_t mainKey, uint8_t subKey, const ProyectoT& state,
                              const std::string& sectors);

// The drawings: the plan once the sector has reaches (without design values until the
// design is done), the longitudinal profiles once the design is done. The refusal, or
// empty; the window's "Planos" entry and the batch verbs ask the same.
enum class DrawingKind { Plan, Profiles };
std::string DrawingGateMessage(DrawingKind kind, const ProyectoT& state);

}  // namespace nivex::shell
