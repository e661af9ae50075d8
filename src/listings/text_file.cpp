#include "listings/text_file.h"

#include "console/codepage.h"
#include "project/replace_file.h"

namespace nivex::listings {

namespace {
constexpr size_t kBufferSize = 1 << 16;
}

bool TextFile::Create(const std::string& path) {
    Close();
    path_ = path;
    error_.clear();
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) {
        Fail("No se pudo crear");
        return false;
    }
    std::setvbuf(file_, nullptr, _IOFBF, kBufferSize);
    return true;
}

bool TextFile::Close() {
    if (!file_) return false;
    if (std::fclose(file_) != 0) Fail("No se pudo escribir");
    file_ = nullptr;
    return !failed();
}

void TextFile::Write(std::string_view bytes) {
    if (!file_) {
        Fail("No se pudo escribir");
        return;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
        Fail("No se pudo escribir");
}

void TextFile::WriteLine(std::string_view bytes) {
    Write(bytes);
    Write("\r\n");
}

void TextFile::Flush() {
    if (file_ && std::fflush(file_) != 0) Fail("No se pudo escribir");
}

void TextFile::Fail(const char* what) {
    if (failed()) return;  // the first failure says what went wrong
    const std::string name = path_.empty() ? "de listado" : cp(path_);
    error_ = std::string_view(what).starts_with("No se pudo escribir")
                 ? project::WriteFailure(what, name)
                 : std::string(what) + " el archivo " + name;
}

}  // namespace nivex::listings
