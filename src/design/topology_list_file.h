#pragma once
// "TrUpT" + alternative number + "." + extension: the reach list of an automatic
// alternative. Entry i names the reach that takes position i of the design copy; the
// seven bytes after the names are values of the topology search that the design does not
// read, kept as they are.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/record_codec.h"

namespace nivex::project {
class FileNames;
}

namespace nivex::design {

constexpr size_t kTopologyEntrySize = 21;
constexpr size_t kTopologyNameLength = 6;
constexpr size_t kTopologySearchBytes = 7;

struct TopologyEntry {
    std::string upstream;                                // 0 s6
    std::string downstream;                              // 7 s6
    std::array<uint8_t, kTopologySearchBytes> search{};  // 14..20
    // The entry as last read: what the fields are encoded over.
    codec::Bytes raw = codec::Bytes(kTopologyEntrySize, 0);
};

void Decode(const codec::Bytes& entry, TopologyEntry& e);  // also keeps entry as raw
void Encode(const TopologyEntry& e, codec::Bytes& entry);

std::string TopologyListPath(const project::FileNames& files, int alternative);

enum class TopologyListRead { Ok, Missing, Damaged };

// The whole list; on anything but Ok, *error (Spanish, UTF-8) names the file and entries
// is left as it was.
TopologyListRead ReadTopologyList(const std::string& path, std::vector<TopologyEntry>& entries,
                                  std::string* error);
// Replaces the file through a temporary one.
bool WriteTopologyList(const std::string& path, const std::vector<TopologyEntry>& entries,
                       std::string* error);

}  // namespace nivex::design
