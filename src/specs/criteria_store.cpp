#include "specs/criteria_store.h"

#include <algorithm>
#include <array>

namespace nivex::specs {

using codec::Bytes;

namespace {

// Record k of header and set into a copy of its buffer; record 0 holds both.
bool EncodeRecord(int k, const shell::ProyectoT& header, const EspecT& e, Bytes& out) {
    if (k == 0 && !shell::Encode(header, out)) return false;
    return Encode(k, e, out);
}

bool Fail(std::string* error, const std::string& text) {
    if (error) *error = text;
    return false;
}

std::string NoFit(const shell::ControlFile& file, int k) {
    return "Un valor del registro " + std::to_string(k) + " no cabe en su campo: " + file.path();
}

}  // namespace

bool LoadDesignCriteria(shell::ControlFile& file, shell::ProyectoT& header, EspecT& e,
                        std::string* error) {
    const int present = std::min(file.RecordCount(), shell::kControlRecords);
    for (int k = 0; k < shell::kControlRecords; ++k) {
        if (k >= present) {
            std::fill(file.buffer(k).begin(), file.buffer(k).end(), 0);
            continue;
        }
        if (!file.ReadRecord(k)) return Fail(error, file.error());
    }
    shell::Decode(file.buffer(0), header);
    // A record the file does not hold yet gets the defaults, not zeros.
    e = DefaultEspec();
    for (int k = 0; k < present; ++k)
        Decode(k, file.buffer(k), e);
    const RepairResult repaired = RepairOnLoad(e, header);

    // Encode everything before writing anything, so a refused value leaves the file alone.
    std::array<Bytes, shell::kControlRecords> out;
    for (int k = 0; k < shell::kControlRecords; ++k) {
        out[static_cast<size_t>(k)] = file.buffer(k);
        if (!EncodeRecord(k, header, e, out[static_cast<size_t>(k)]))
            return Fail(error, NoFit(file, k));
    }
    // Decoding normalises some values (options read as off, empty texts); those count as
    // repairs too, and a missing record is completed.
    std::vector<int> changed;
    for (int k = 0; k < shell::kControlRecords; ++k) {
        const auto i = static_cast<size_t>(k);
        if (!repaired.recordChanged[i] && k < present && out[i] == file.buffer(k)) continue;
        file.buffer(k) = std::move(out[i]);
        changed.push_back(k);
    }
    if (!changed.empty() && !file.WriteRecords(changed)) return Fail(error, file.error());
    return true;
}

bool InitialiseDesignCriteria(shell::ControlFile& file, shell::ProyectoT& header, EspecT& e) {
    file.ClearBuffers();
    const std::string name = header.ProjectName;
    header = shell::ProyectoT{};
    header.ProjectName = name;
    ApplyDefaults(e);
    header.DesignClass = ClassOfSystemKind(e.SystemKind);
    header.SwmmClass = 0;
    if (file.RecordCount() != 0) return true;
    std::vector<int> all;
    for (int k = 0; k < shell::kControlRecords; ++k) {
        if (!EncodeRecord(k, header, e, file.buffer(k))) return false;
        all.push_back(k);
    }
    return file.WriteRecords(all);
}

bool SaveRecords(shell::ControlFile& file, const shell::ProyectoT& header, const EspecT& e,
                 std::initializer_list<int> records) {
    return SaveRecords(file, header, e, std::vector<int>(records));
}

bool SaveRecords(shell::ControlFile& file, const shell::ProyectoT& header, const EspecT& e,
                 const std::vector<int>& records) {
    std::array<bool, shell::kControlRecords> wanted{};
    wanted[0] = true;
    for (int k : records) {
        if (k < 0 || k >= shell::kControlRecords) return false;
        wanted[static_cast<size_t>(k)] = true;
    }
    std::array<Bytes, shell::kControlRecords> out;
    for (int k = 0; k < shell::kControlRecords; ++k) {
        if (!wanted[static_cast<size_t>(k)]) continue;
        out[static_cast<size_t>(k)] = file.buffer(k);
        if (!EncodeRecord(k, header, e, out[static_cast<size_t>(k)])) return false;
    }
    std::vector<int> written;
    for (int k = 0; k < shell::kControlRecords; ++k) {
        if (!wanted[static_cast<size_t>(k)]) continue;
        file.buffer(k) = std::move(out[static_cast<size_t>(k)]);
        written.push_back(k);
    }
    return file.WriteRecords(written);
}

}  // namespace nivex::specs
