#pragma once
// The size of a file checked against the most its kind holds before anything of it is
// read, so that a damaged or foreign file of any size is refused instead of filling the
// memory.

#include <cstdint>
#include <string>

namespace nivex::project {

// Files of numbers one or a few per line (quantity, price, budget and SWMM result files).
constexpr std::uintmax_t kMostNumberFileBytes = std::uintmax_t{4} << 20;
// Text files the program writes or takes in whole: listings, message files, SWMM reports
// and maps.
constexpr std::uintmax_t kMostTextFileBytes = std::uintmax_t{256} << 20;

// Empty when the file holds at most `most` bytes, or cannot be sized (the read that
// follows reports that); else "El archivo ... es demasiado grande: ..." (UTF-8).
std::string OversizedFile(const std::string& path, std::uintmax_t most);

}  // namespace nivex::project
