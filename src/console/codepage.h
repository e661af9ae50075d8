#pragma once
// Program text is a byte string in the program's code page: letters and signs of
// Windows-1252, lines, frames and shades of the DOS code page. Sources are UTF-8;
// these helpers are the only place where the two meet.

#include <string>
#include <string_view>

namespace nivex {

// UTF-8 text (a source literal, a Qt string) to code-page bytes. Characters that the
// code page cannot hold become '?'.
std::string cp(std::string_view utf8);

// The Unicode character a code-page byte stands for when it is shown: letters as
// Windows-1252, the DOS line, frame and shade codes as their box-drawing characters.
// Bytes with no character give U+FFFD.
char32_t toUnicode(unsigned char byte);

// Code-page bytes to UTF-8, through toUnicode.
std::string toUtf8(std::string_view bytes);

// Upper case of a code-page byte (ASCII letters and the Spanish accented letters).
unsigned char upperByte(unsigned char byte);
std::string upper(std::string_view bytes);

}  // namespace nivex
