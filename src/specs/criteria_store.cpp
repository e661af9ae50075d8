#include "specs/criteria_store.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "specs/espec_fields.h"

namespace nivex::specs {

using namespace codec;

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

std::string At(int record, size_t offset) {
    return "registro " + std::to_string(record) + ", posicion " + std::to_string(offset) + ": ";
}

// Finds, and with `clear` blanks, the values of one record that no save of the program
// writes: a text longer than its field, a real that is not a number. The reals are left
// to the load-time repair, which gives them their defaults.
struct DamageFinder {
    int record;
    Bytes& bytes;
    bool clear;
    std::string found;

    void Note(const std::string& what) {
        if (found.empty()) found = what;
    }
    void text(size_t off, size_t n, const std::string&) {
        const size_t length = Byte(bytes, off);
        if (length <= n) return;
        Note(At(record, off) + "un texto de " + std::to_string(length) +
             " caracteres en un campo de " + std::to_string(n));
        if (clear)
            for (size_t i = 0; i <= n; ++i)
                PutByte(bytes, off + i, 0);
    }
    void f32(size_t off, const float&) {
        if (!std::isfinite(F32(bytes, off))) Note(At(record, off) + "un valor que no es un numero");
    }
    void f64(size_t off, const double&) {
        if (!std::isfinite(F64(bytes, off))) Note(At(record, off) + "un valor que no es un numero");
    }
    void i16(size_t, const int&) {}
    void byte(size_t, const uint8_t&) {}
    void zeros(size_t, size_t) {}

    // The header's own fields of record 0: its texts, its reals and the stage flags, which
    // are 0 or 1.
    void Header() {
        const std::string none;
        for (auto [off, n] : {std::pair<size_t, size_t>{134, 25},
                              {160, 1},
                              {162, 25},
                              {188, 63},
                              {338, 10},
                              {349, 35},
                              {385, 35},
                              {421, 26}})
            text(off, n, none);
        // Their repair: no alternative chosen, no simulated length.
        for (auto [off, repaired] : {std::pair<size_t, float>{262, -1.0f}, {452, 0.0f}}) {
            if (std::isfinite(F32(bytes, off))) continue;
            f32(off, repaired);
            if (clear) PutF32(bytes, off, repaired);
        }
        for (size_t off = 0; off < 8; ++off) {
            if (Byte(bytes, off) <= 1) continue;
            Note(At(record, off) + "una marca de control o de etapa de valor " +
                 std::to_string(Byte(bytes, off)));
            if (clear) PutByte(bytes, off, 0);
        }
    }
};

// The first damaged value of the records present, or empty; with `clear` every damaged
// text and flag of the buffers is blanked on the way.
template <class Records>
std::string FindDamage(Records& records, int present, bool clear) {
    std::string first;
    const EspecT none;
    for (int k = 0; k < present; ++k) {
        DamageFinder finder{k, records[static_cast<size_t>(k)], clear, {}};
        if (k == 0) finder.Header();
        detail::VisitRecord(k, none, finder);
        if (first.empty()) first = finder.found;
    }
    return first;
}

}  // namespace

std::string FindControlDamage(std::array<Bytes, shell::kControlRecords> records, int present) {
    return FindDamage(records, std::min(present, shell::kControlRecords), false);
}

std::string DamagedControlMessage(const std::string& path, const std::string& damage) {
    return "El archivo " + path + " esta dañado: " + damage;
}

bool LoadDesignCriteria(shell::ControlFile& file, shell::ProyectoT& header, EspecT& e,
                        std::string* error, const RepairConsent& consent) {
    const int present = std::min(file.RecordCount(), shell::kControlRecords);
    for (int k = 0; k < shell::kControlRecords; ++k) {
        if (k >= present) {
            std::fill(file.buffer(k).begin(), file.buffer(k).end(), 0);
            continue;
        }
        if (!file.ReadRecord(k)) return Fail(error, file.error());
    }
    // Damaged values are repaired only when the user agrees; the stages then start again.
    std::array<Bytes, shell::kControlRecords> records;
    for (int k = 0; k < present; ++k)
        records[static_cast<size_t>(k)] = file.buffer(k);
    const std::string damage = FindDamage(records, present, false);
    const bool repairDamage = !damage.empty();
    if (repairDamage) {
        const std::string message = DamagedControlMessage(file.path(), damage);
        if (!consent || !consent(message)) return Fail(error, message);
        FindDamage(records, present, true);
        for (int k = 0; k < present; ++k)
            file.buffer(k) = records[static_cast<size_t>(k)];
    }
    shell::Decode(file.buffer(0), header);
    if (repairDamage) {
        header.ControlsDone = {0, 0, 0, 0};
        header.StageDone = {0, 0, 0, 0};
    }
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
        if (!repairDamage && !repaired.recordChanged[i] && k < present && out[i] == file.buffer(k))
            continue;
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
