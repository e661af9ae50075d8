#include "listings/rtf_writer.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "console/codepage.h"
#include "project/replace_file.h"

namespace nivex::listings {
namespace {

void AppendChar(std::string& out, char32_t c) {
    if (c == '\\' || c == '{' || c == '}') {
        out += '\\';
        out += static_cast<char>(c);
    } else if (c < 0x80) {
        out += static_cast<char>(c);
    } else {
        // \u takes a signed 16-bit value; '?' is what a reader without Unicode shows.
        const int value = c > 0x7FFF ? static_cast<int>(c) - 0x10000 : static_cast<int>(c);
        out += "\\u" + std::to_string(value) + '?';
    }
}

void AppendRun(std::string& out, const std::u32string& text, int from, int to) {
    for (int i = from; i < to; ++i)
        AppendChar(out, text[i]);
}

void AppendLine(std::string& out, const ShownLine& line) {
    const int size = static_cast<int>(line.text.size());
    int at = 0;
    for (const Span& red : line.red) {
        AppendRun(out, line.text, at, red.start);
        out += "{\\cf1 ";
        AppendRun(out, line.text, red.start, std::min(size, red.start + red.length));
        out += '}';
        at = red.start + red.length;
    }
    AppendRun(out, line.text, at, size);
    // The line end delimits \par without eating the next line's leading blanks.
    out += "\\par\r\n";
}

}  // namespace

std::string RtfDocument(const std::vector<ShownLine>& lines, std::string_view face, int points) {
    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\r\n";
    // The listing face is the program's own: the reader falls back on a fixed face.
    out += "{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset0 ";
    out += face;
    if (face != kRtfFallbackFace) {
        out += "{\\*\\falt ";
        out += kRtfFallbackFace;
        out += '}';
    }
    out += ";}}\r\n";
    out += "{\\colortbl;\\red255\\green0\\blue0;}\r\n";
    out += "\\pard\\plain\\f0\\fs" + std::to_string(points * 2) + "\r\n";
    for (const ShownLine& line : lines)
        AppendLine(out, line);
    out += "}\r\n";
    return out;
}

bool WriteRtfFile(const std::string& path, const std::vector<ShownLine>& lines,
                  std::string_view face, int points, std::string& error) {
    const std::string temp = project::MakeTempFile(path, nullptr);
    if (temp.empty()) {
        error = "No se pudo grabar el archivo " + cp(path);
        return false;
    }
    const std::string document = RtfDocument(lines, face, points);
    std::error_code ec;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(document.data(), static_cast<std::streamsize>(document.size()));
        out.close();
        if (!out) ec = std::make_error_code(std::errc::io_error);
    }
    if (!ec) std::filesystem::rename(temp, path, ec);
    if (!ec) return true;
    std::filesystem::remove(temp, ec);
    error = "No se pudo grabar el archivo " + cp(path);
    return false;
}

}  // namespace nivex::listings
