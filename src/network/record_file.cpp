#include "network/record_file.h"

#include <cstdio>

#include "project/replace_file.h"

namespace nivex::network {

std::string RecordFileSizeFault(const std::string& path, uintmax_t bytes, size_t recordSize,
                                int mostRecords) {
    const uintmax_t most = static_cast<uintmax_t>(mostRecords) * recordSize;
    if (bytes > most)
        return "El archivo " + path + " es demasiado grande: tiene " + std::to_string(bytes) +
               " bytes y no puede pasar de " + std::to_string(mostRecords) + " registros de " +
               std::to_string(recordSize) + " bytes (" + std::to_string(most) + " bytes)";
    if (bytes % recordSize != 0)
        return "El archivo " + path + " esta dañado: sus " + std::to_string(bytes) +
               " bytes no son registros enteros de " + std::to_string(recordSize) +
               " bytes; el registro " + std::to_string(bytes / recordSize + 1) + " esta incompleto";
    return {};
}

bool RecordFile::fail(const std::string& what) {
    // A write that failed names a full disk as such.
    error_ = what.starts_with("No se pudo escribir") ? project::WriteFailure(what, path_)
                                                     : what + " el archivo " + path_;
    return false;
}

bool RecordFile::Open(const std::string& path) {
    Close();
    path_ = path;
    error_.clear();
    file_ = std::fopen(path.c_str(), "r+b");
    if (!file_) file_ = std::fopen(path.c_str(), "w+b");
    if (!file_) return fail("No se pudo abrir");
    long bytes = -1;
    if (std::fseek(file_, 0, SEEK_END) == 0) bytes = std::ftell(file_);
    if (bytes < 0) {
        Close();
        return fail("No se pudo leer");
    }
    if (std::string fault = RecordFileSizeFault(path, static_cast<uintmax_t>(bytes), size_, most_);
        !fault.empty()) {
        Close();
        error_ = std::move(fault);
        return false;
    }
    count_ = static_cast<int>(bytes / static_cast<long>(size_));
    pos_ = -1;
    last_ = Last::None;
    return true;
}

bool RecordFile::Close() {
    bool ok = true;
    if (file_) ok = std::fflush(file_) == 0 && !std::ferror(file_);
    if (file_ && std::fclose(file_) != 0) ok = false;
    file_ = nullptr;
    count_ = 0;
    if (!ok) fail("No se pudo escribir");
    return ok;
}

// Seeks only when the position or the direction changes, so that runs of reads or
// writes stay inside the stream's buffer.
bool RecordFile::seek(int k, Last op) {
    long want = static_cast<long>(k) * static_cast<long>(size_);
    if (want == pos_ && op == last_) return true;
    if (std::fseek(file_, want, SEEK_SET) != 0) return false;
    pos_ = want;
    last_ = op;
    return true;
}

bool RecordFile::Read(int k, codec::Bytes& record) {
    if (!file_) return fail("No esta abierto");
    if (k < 0 || k >= count_) return fail("Registro " + std::to_string(k + 1) + " no existe en");
    record.resize(size_);
    if (!seek(k, Last::Read) || std::fread(record.data(), 1, size_, file_) != size_) {
        pos_ = -1;
        return fail("No se pudo leer");
    }
    pos_ += static_cast<long>(size_);
    return true;
}

bool RecordFile::Write(int k, const codec::Bytes& record) {
    if (!file_) return fail("No esta abierto");
    if (k < 0 || k > count_ || record.size() != size_)
        return fail("Registro " + std::to_string(k + 1) + " invalido en");
    if (!seek(k, Last::Write) || std::fwrite(record.data(), 1, size_, file_) != size_) {
        pos_ = -1;
        return fail("No se pudo escribir");
    }
    pos_ += static_cast<long>(size_);
    if (k == count_) ++count_;
    return true;
}

bool RecordFile::Flush() {
    if (file_ && std::fflush(file_) != 0) return fail("No se pudo escribir");
    return true;
}

bool ReplaceRecordFile(const std::string& path, size_t recordSize,
                       const std::vector<codec::Bytes>& records, std::string& error) {
    const std::string tmp = project::MakeTempFile(path, &error);
    if (tmp.empty()) return false;
    std::FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) {
        std::remove(tmp.c_str());
        error = "No se pudo crear el archivo temporal de " + path;
        return false;
    }
    bool ok = true;
    for (const auto& r : records)
        if (r.size() != recordSize || std::fwrite(r.data(), 1, recordSize, f) != recordSize) {
            ok = false;
            break;
        }
    ok = std::fflush(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        std::remove(tmp.c_str());
        error = "No se pudo escribir el archivo " + path;
        return false;
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::remove(tmp.c_str());
        error = "No se pudo reemplazar el archivo " + path;
        return false;
    }
    return true;
}

}  // namespace nivex::network
