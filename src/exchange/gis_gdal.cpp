#include "exchange/gis_gdal.h"

#include <cpl_error.h>
#include <gdal.h>

#include <mutex>

namespace nivex::exchange {

void RegisterGdalDrivers() {
    static std::once_flag once;
    std::call_once(once, [] {
        GDALAllRegister();
        // GDAL speaks through the messages of the program, not on standard error.
        CPLSetErrorHandler(CPLQuietErrorHandler);
    });
}

std::string LastGdalMessage() {
    const char* message = CPLGetLastErrorMsg();
    return message ? std::string(message) : std::string();
}

}  // namespace nivex::exchange
