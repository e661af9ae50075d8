#pragma once
// Which main choices the state of the open sector allows.

#include <cstdint>
#include <string>

#include "shell/control_file.h"

namespace nivex::shell {

// The refusal message for a main choice (empty when it may run). sectors: the number of
// sectors of the project; subKey: the sub-option waiting behind the main key.
std::string GateMessage(int choice, const ProyectoT& state, const std::string& sectors,
                        uint8_t subKey);

}  // namespace nivex::shell
