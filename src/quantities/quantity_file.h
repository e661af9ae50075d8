#pragma once
// The quantity file of one system: a CR LF text file of numbers in the program's real
// notation of 23 characters (" 1.25000000000000E+0002"), one group of lines after the
// other in a fixed order, the three pipe type texts among them as text lines.

#include <string>
#include <string_view>

#include "quantities/quantity_tables.h"

namespace nivex::quantities {

// x in the real notation: a blank or '-', one digit, '.', 14 digits, 'E', the sign and a
// four-digit exponent. Not finite values are written as zero.
std::string RealText(double x);
// Truncated towards zero to two decimals; a product that lands a hair below a whole
// number of hundredths (0.29 × 100 = 28.999…) counts as that number.
double TruncateTo2(double x);
// A number of a quantity or price file: the whole text after blanks. False when it holds
// anything but one number.
bool ParseReal(std::string_view text, double& value);
// The numbers of one line written one after the other: 23 characters each.
bool ParseRealLine(std::string_view line, double* values, int count);

// Every number of tables as the file will keep it, so that what a run computed and what
// a reader of its file gets are the same numbers bit for bit.
void KeepAsStored(QuantityTables& tables);

enum class FileRead { Read, Missing, Damaged };

struct QuantityFileResult {
    FileRead status = FileRead::Read;
    std::string error;  // Damaged: what is wrong, naming the file (code page)
};

// Reads the file into tables sized for `sizes` positions. A missing or damaged file leaves
// tables as they were: nothing is half read.
QuantityFileResult ReadQuantityFile(const std::string& path, int sizes, QuantityTables& tables);

// Writes tables (sized for their own S) whole through a temporary file renamed over the
// old one. False with *error (code page, naming the file).
bool WriteQuantityFile(const std::string& path, const QuantityTables& tables, std::string* error);

}  // namespace nivex::quantities
