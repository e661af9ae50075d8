#include "shell/control_file.h"

#include <algorithm>
#include <filesystem>

#include "project/replace_file.h"

namespace nivex::shell {

using namespace codec;

namespace {
// Options stored as 1 on / 2 off: anything else reads as off.
int OnOff(int v) {
    return v == 1 ? 1 : 2;
}
}  // namespace

void Decode(const Bytes& r, ProyectoT& p) {
    for (size_t i = 0; i < 4; ++i) {
        p.ControlsDone[i] = Byte(r, i);
        p.StageDone[i] = Byte(r, 4 + i);
    }
    p.ReachCount = I16(r, 8);
    p.Reserved12 = I16(r, 12);
    p.RunCounter = I16(r, 14);
    p.IndexOptions = I16(r, 16);
    p.DesignCounters = {I16(r, 28), I16(r, 30), I16(r, 32)};
    p.ProjectName = Text(r, 134, 25);
    p.Reserved160 = Text(r, 160, 1);
    p.ProjectDate = Text(r, 162, 25);
    p.Entity = Text(r, 188, 63);
    p.DiameterTableValid = Byte(r, 252);
    p.CriteriaValid = Byte(r, 253);
    p.AbandonedAlternatives = I16(r, 254);
    p.BackupExists = Byte(r, 256);
    p.Simulated = Byte(r, 257);
    p.DesignAlternative = F32(r, 262);
    p.Reserved338 = Text(r, 338, 10);
    if (p.Reserved338.empty()) p.Reserved338 = "0000000000";
    p.Consultant = Text(r, 349, 35);
    p.Email = Text(r, 385, 35);
    p.Country = Text(r, 421, 26);
    p.SimulatedVertical = I16(r, 448);
    p.SimulatedHorizontal = I16(r, 450);
    p.SimulatedLength = F32(r, 452);
    p.Ras2016Model = OnOff(I16(r, 456));
    p.SlopePerDiameter = OnOff(I16(r, 458));
    p.DesignClass = I16(r, 460);
    p.SwmmClass = Byte(r, 462);
    p.SwmmRan = Byte(r, 463);
    p.DesignMethod = Byte(r, 464) == kLeastCostMethod ? kLeastCostMethod : kStandardMethod;
}

bool Encode(const ProyectoT& p, Bytes& record) {
    Bytes r = record;  // all or nothing
    for (size_t i = 0; i < 4; ++i) {
        PutByte(r, i, p.ControlsDone[i]);
        PutByte(r, 4 + i, p.StageDone[i]);
    }
    bool ok = PutI16(r, 8, p.ReachCount) && PutI16(r, 12, p.Reserved12) &&
              PutI16(r, 14, p.RunCounter) && PutI16(r, 16, p.IndexOptions) &&
              PutI16(r, 28, p.DesignCounters[0]) && PutI16(r, 30, p.DesignCounters[1]) &&
              PutI16(r, 32, p.DesignCounters[2]) && PutI16(r, 254, p.AbandonedAlternatives) &&
              PutI16(r, 448, p.SimulatedVertical) && PutI16(r, 450, p.SimulatedHorizontal) &&
              PutI16(r, 456, p.Ras2016Model) && PutI16(r, 458, p.SlopePerDiameter) &&
              PutI16(r, 460, p.DesignClass);
    if (!ok) return false;
    PutText(r, 134, 25, p.ProjectName);
    PutText(r, 160, 1, p.Reserved160);
    PutText(r, 162, 25, p.ProjectDate);
    PutText(r, 188, 63, p.Entity);
    PutByte(r, 252, p.DiameterTableValid);
    PutByte(r, 253, p.CriteriaValid);
    PutByte(r, 256, p.BackupExists);
    PutByte(r, 257, p.Simulated);
    PutF32(r, 262, p.DesignAlternative);
    PutText(r, 338, 10, p.Reserved338);
    PutText(r, 349, 35, p.Consultant);
    PutText(r, 385, 35, p.Email);
    PutText(r, 421, 26, p.Country);
    PutF32(r, 452, p.SimulatedLength);
    PutByte(r, 462, p.SwmmClass);
    PutByte(r, 463, p.SwmmRan);
    PutByte(r, 464, p.DesignMethod == kLeastCostMethod ? kLeastCostMethod : kStandardMethod);
    record = std::move(r);
    return true;
}

bool ControlFile::fail(const std::string& what) {
    // A write that failed names a full disk as such.
    error_ = what.starts_with("No se pudo escribir") ? project::WriteFailure(what, path_)
                                                     : what + " el archivo " + path_;
    return false;
}

std::string ControlFileSizeFault(const std::string& path, uintmax_t bytes) {
    const uintmax_t most = kControlRecords * kControlRecordSize;
    if (bytes > most)
        return "El archivo " + path + " es demasiado grande: tiene " + std::to_string(bytes) +
               " bytes y no puede pasar de " + std::to_string(kControlRecords) + " registros de " +
               std::to_string(kControlRecordSize) + " bytes (" + std::to_string(most) + " bytes)";
    if (bytes % kControlRecordSize != 0)
        return "El archivo " + path + " esta dañado: sus " + std::to_string(bytes) +
               " bytes no son registros enteros de " + std::to_string(kControlRecordSize) +
               " bytes; el registro " + std::to_string(bytes / kControlRecordSize) +
               " esta incompleto";
    return {};
}

bool ControlFile::Open(const std::string& path) {
    Close();
    path_ = path;
    error_.clear();
    if (readOnly_) {
        file_ = std::fopen(path.c_str(), "rb");
        return file_ || fail("No se pudo abrir");
    }
    file_ = std::fopen(path.c_str(), "r+b");
    if (!file_) file_ = std::fopen(path.c_str(), "w+b");
    if (!file_) return fail("No se pudo abrir");
    // Nothing is read from, or written over, a file of another size than its records'.
    long bytes = -1;
    if (std::fseek(file_, 0, SEEK_END) == 0) bytes = std::ftell(file_);
    std::string fault = bytes < 0 ? "No se pudo leer el archivo " + path
                                  : ControlFileSizeFault(path, static_cast<uintmax_t>(bytes));
    if (fault.empty()) return true;
    Close();
    error_ = std::move(fault);
    return false;
}

void ControlFile::Close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

void ControlFile::ClearBuffers() {
    for (auto& b : buffers_)
        std::fill(b.begin(), b.end(), 0);
}

int ControlFile::RecordCount() {
    if (!file_) return 0;
    if (std::fseek(file_, 0, SEEK_END) != 0) return 0;
    long size = std::ftell(file_);
    return size < 0 ? 0 : static_cast<int>(size / static_cast<long>(kControlRecordSize));
}

bool ControlFile::ReadRecord(int k) {
    if (!file_) return fail("No esta abierto");
    if (k < 0 || k >= kControlRecords) return fail("Registro invalido en");
    if (k >= RecordCount()) return fail("Registro " + std::to_string(k) + " no existe en");
    Bytes b(kControlRecordSize);
    if (std::fseek(file_, static_cast<long>(k * kControlRecordSize), SEEK_SET) != 0 ||
        std::fread(b.data(), 1, b.size(), file_) != b.size())
        return fail("No se pudo leer");
    buffers_[static_cast<size_t>(k)] = std::move(b);
    return true;
}

bool ControlFile::WriteRecord(int k) {
    if (!file_) return fail("No esta abierto");
    if (k < 0 || k >= kControlRecords) return fail("Registro invalido en");
    if (readOnly_) return true;
    const Bytes& b = buffers_[static_cast<size_t>(k)];
    if (std::fseek(file_, static_cast<long>(k * kControlRecordSize), SEEK_SET) != 0 ||
        std::fwrite(b.data(), 1, b.size(), file_) != b.size() || std::fflush(file_) != 0)
        return fail("No se pudo escribir");
    return true;
}

bool ControlFile::WriteRecords(const std::vector<int>& records) {
    if (records.size() == 1) return WriteRecord(records.front());
    if (!file_) return fail("No esta abierto");
    if (readOnly_) return true;
    // The file as it stands, then the records over it.
    const int count = RecordCount();
    std::vector<uint8_t> image(static_cast<size_t>(count) * kControlRecordSize);
    if (!image.empty() && (std::fseek(file_, 0, SEEK_SET) != 0 ||
                           std::fread(image.data(), 1, image.size(), file_) != image.size()))
        return fail("No se pudo leer");
    for (int k : records) {
        if (k < 0 || k >= kControlRecords) return fail("Registro invalido en");
        const size_t at = static_cast<size_t>(k) * kControlRecordSize;
        if (image.size() < at + kControlRecordSize) image.resize(at + kControlRecordSize, 0);
        const Bytes& b = buffers_[static_cast<size_t>(k)];
        std::copy(b.begin(), b.end(), image.begin() + static_cast<long>(at));
    }
    std::string ignored;
    const std::string temp = project::MakeTempFile(path_, &ignored);
    if (temp.empty()) return fail("No se pudo escribir");
    std::FILE* out = std::fopen(temp.c_str(), "wb");
    bool written = out && std::fwrite(image.data(), 1, image.size(), out) == image.size() &&
                   std::fflush(out) == 0;
    if (out && std::fclose(out) != 0) written = false;
    if (!written) {
        std::error_code ec;
        std::filesystem::remove(temp, ec);
        return fail("No se pudo escribir");
    }
    // Closed while it is replaced (some systems refuse to rename over an open file), then
    // opened again: the new file, or the old one when the rename failed.
    std::fclose(file_);
    std::error_code renamed;
    std::filesystem::rename(temp, path_, renamed);
    if (renamed) {
        std::error_code ec;
        std::filesystem::remove(temp, ec);
    }
    file_ = std::fopen(path_.c_str(), "r+b");
    if (!file_) return fail("No se pudo abrir");
    if (renamed) return fail("No se pudo escribir");
    return true;
}

}  // namespace nivex::shell
