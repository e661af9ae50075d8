#include <cerrno>
#include <iostream>
#include <string>
#include <vector>

#include "cli/batch.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const int rc = nivex::cli::RunBatch(args, std::cout, std::cerr);
    // Output sent to a file must have reached it: a full disk is said, not hidden.
    std::cout.flush();
    if (std::cout) return rc;
    const bool full = errno == ENOSPC || errno == EDQUOT;
    std::cerr << (full ? "Error: el disco esta lleno; no se pudo escribir la salida"
                       : "Error: no se pudo escribir la salida")
              << '\n';
    return rc == 0 ? 1 : rc;
}
