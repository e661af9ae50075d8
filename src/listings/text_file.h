#pragma once
// A text file written through a buffer and kept open: the listing file and the other
// text files the listings write. A failed write is remembered, so that the caller can
// stop with a message naming the file instead of leaving half a file behind.

#include <cstdio>
#include <string>
#include <string_view>

namespace nivex::listings {

class TextFile {
  public:
    TextFile() = default;
    ~TextFile() { Close(); }
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    // Closes the file held and creates path empty; false with error() set.
    bool Create(const std::string& path);
    // Closes the file; false when it was not open or a write since Create failed.
    bool Close();

    bool isOpen() const { return file_ != nullptr; }
    const std::string& path() const { return path_; }

    // Bytes as they are; a line adds CR LF.
    void Write(std::string_view bytes);
    void WriteLine(std::string_view bytes);
    void Flush();

    bool failed() const { return !error_.empty(); }
    // The first failure since Create, in Spanish, naming the file (code-page bytes).
    const std::string& error() const { return error_; }

  private:
    void Fail(const char* what);

    std::FILE* file_ = nullptr;
    std::string path_;
    std::string error_;
};

}  // namespace nivex::listings
