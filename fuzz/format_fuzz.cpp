// Number pictures and picture lines with any picture and values.

#include <cmath>
#include <cstring>

#include "fuzz_input.h"
#include "listings/number_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace nivex;
    // A real from the first eight bytes (any bits: infinities and NaN too), an integer
    // from the next eight, then the picture.
    double real = 0;
    long integer = 0;
    if (size >= 16) {
        std::memcpy(&real, data, 8);
        std::memcpy(&integer, data + 8, 8);
        data += 16;
        size -= 16;
    }
    const std::string_view picture = fuzz::AsText(data, size);
    listings::FormatNumber(real, picture);
    listings::FormatNumber(integer, picture);
    listings::FormatNumber(std::string(picture.substr(0, 12)), picture);
    listings::FormatLine(picture, {real, integer, std::string("TEXTO"), -real, 0L});
    listings::FormatLine(picture, {});
    return 0;
}
