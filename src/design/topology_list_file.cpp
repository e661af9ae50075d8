#include "design/topology_list_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "project/file_size.h"
#include "project/project.h"
#include "project/replace_file.h"

namespace nivex::design {

void Decode(const codec::Bytes& entry, TopologyEntry& e) {
    e.upstream = codec::Text(entry, 0, kTopologyNameLength);
    e.downstream = codec::Text(entry, 7, kTopologyNameLength);
    for (size_t i = 0; i < kTopologySearchBytes; ++i)
        e.search[i] = codec::Byte(entry, 14 + i);
    e.raw = entry;
    e.raw.resize(kTopologyEntrySize, 0);
}

void Encode(const TopologyEntry& e, codec::Bytes& entry) {
    entry.resize(kTopologyEntrySize, 0);
    codec::PutText(entry, 0, kTopologyNameLength, e.upstream);
    codec::PutText(entry, 7, kTopologyNameLength, e.downstream);
    for (size_t i = 0; i < kTopologySearchBytes; ++i)
        codec::PutByte(entry, 14 + i, e.search[i]);
}

std::string TopologyListPath(const project::FileNames& files, int alternative) {
    return files.path("TrUpT" + std::to_string(alternative) + ".");
}

TopologyListRead ReadTopologyList(const std::string& path, std::vector<TopologyEntry>& entries,
                                  std::string* error) {
    auto fail = [&](TopologyListRead result, const std::string& message) {
        if (error) *error = message;
        return result;
    };
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return fail(TopologyListRead::Missing, "No existe el archivo de topologia " + path);
    // One entry a reach: twice the most lines is room to spare.
    if (std::string big = project::OversizedFile(path, 2 * 10000 * kTopologyEntrySize);
        !big.empty())
        return fail(TopologyListRead::Damaged, big);
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    if (in.bad())
        return fail(TopologyListRead::Damaged, "No se pudo leer el archivo de topologia " + path);
    if (bytes.size() % kTopologyEntrySize != 0)
        return fail(TopologyListRead::Damaged,
                    "El archivo de topologia " + path + " esta dañado: tiene " +
                        std::to_string(bytes.size()) + " bytes, que no son entradas enteras de " +
                        std::to_string(kTopologyEntrySize));
    std::vector<TopologyEntry> read(bytes.size() / kTopologyEntrySize);
    for (size_t i = 0; i < read.size(); ++i) {
        const auto first = bytes.begin() + static_cast<std::ptrdiff_t>(i * kTopologyEntrySize);
        Decode(codec::Bytes(first, first + kTopologyEntrySize), read[i]);
    }
    entries = std::move(read);
    return TopologyListRead::Ok;
}

bool WriteTopologyList(const std::string& path, const std::vector<TopologyEntry>& entries,
                       std::string* error) {
    std::string bytes;
    bytes.reserve(entries.size() * kTopologyEntrySize);
    for (const TopologyEntry& e : entries) {
        codec::Bytes entry = e.raw;
        Encode(e, entry);
        bytes.append(entry.begin(), entry.end());
    }
    return project::ReplaceFileContents(path, bytes, error);
}

}  // namespace nivex::design
