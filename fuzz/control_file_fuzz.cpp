// The control file reader: every record of an arbitrary file, record 0 decoded.
#include <cstdint>
#include <cstdio>

#include "fuzz_input.h"
#include "shell/control_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = nivex::fuzz::AsFile("control", data, size);
    nivex::shell::ControlFile file;
    if (file.Open(path)) {
        const int records = file.RecordCount();
        for (int k = 0; k < nivex::shell::kControlRecords; ++k)
            if (!file.ReadRecord(k) && file.error().empty()) __builtin_trap();
        if (records > 0 && file.ReadRecord(0)) {
            nivex::shell::ProyectoT header;
            nivex::shell::Decode(file.buffer(0), header);
            nivex::shell::Encode(header, file.buffer(0));
        }
    }
    file.Close();
    std::remove(path.c_str());
    return 0;
}
