#pragma once
// What every exchange through GDAL/OGR shares: its drivers registered once per process, and
// the last message it gave, for the Spanish error that names the file.

#include <string>

namespace nivex::exchange {

void RegisterGdalDrivers();

// GDAL's last error message, or "" when it gave none.
std::string LastGdalMessage();

}  // namespace nivex::exchange
