#include "console/codepage.h"

#include <array>

namespace nivex {
namespace {

// Windows-1252 for 128..159; 0 marks a byte without a character.
constexpr std::array<char32_t, 32> kWin1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// DOS code page 437 for 176..223: shades, single and double lines, blocks.
constexpr std::array<char32_t, 48> kDosGraphics = {
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580};

constexpr unsigned char kEnye = 209;  // Ñ: a letter here, not the DOS line code
// The DOS line code at 209 (double across, single down) lives at 224 instead.
constexpr unsigned char kDoubleTee = 224;
constexpr char32_t kDoubleTeeGlyph = 0x2564;

bool isDosGraphic(unsigned char b) {
    return b >= 176 && b <= 223 && b != kEnye;
}

}  // namespace

char32_t toUnicode(unsigned char b) {
    if (b < 128) return b;
    if (isDosGraphic(b)) return kDosGraphics[b - 176];
    if (b == kDoubleTee) return kDoubleTeeGlyph;
    if (b < 160) {
        char32_t c = kWin1252High[b - 128];
        return c ? c : 0xFFFD;
    }
    return b;  // Latin-1 range of Windows-1252
}

namespace {

unsigned char fromUnicode(char32_t c) {
    if (c < 128) return static_cast<unsigned char>(c);
    if (c >= 160 && c < 256) {
        auto b = static_cast<unsigned char>(c);
        if (!isDosGraphic(b)) return b;
    }
    for (int i = 0; i < 32; ++i)
        if (kWin1252High[i] == c) return static_cast<unsigned char>(128 + i);
    if (c == kDoubleTeeGlyph) return kDoubleTee;
    for (int i = 0; i < 48; ++i)
        if (kDosGraphics[i] == c) return static_cast<unsigned char>(176 + i);
    return '?';
}

}  // namespace

std::string cp(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        auto b = static_cast<unsigned char>(s[i]);
        char32_t c;
        int extra;
        if (b < 0x80) {
            c = b;
            extra = 0;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            extra = 3;
        } else {
            out += '?';
            ++i;
            continue;
        }
        if (i + extra >= s.size()) {  // sequence cut short
            out += '?';
            break;
        }
        int k = 1;
        for (; k <= extra; ++k) {
            auto cb = static_cast<unsigned char>(s[i + k]);
            if ((cb & 0xC0) != 0x80) break;
            c = (c << 6) | (cb & 0x3F);
        }
        if (k <= extra) {  // broken sequence: one '?' for the bytes it had
            out += '?';
            i += k;
            continue;
        }
        out += static_cast<char>(fromUnicode(c));
        i += extra + 1;
    }
    return out;
}

std::string toUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes) {
        char32_t c = toUnicode(static_cast<unsigned char>(ch));
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

unsigned char upperByte(unsigned char b) {
    if (b >= 'a' && b <= 'z') return static_cast<unsigned char>(b - 32);
    if (b == 241) return 209;  // ñ
    // The upper-case accented letters share their codes with the frame lines here, so
    // an accented vowel in upper case loses its accent: "Perú" becomes "PERU".
    switch (b) {
        case 225:
        case 224:
        case 226:
        case 227:
        case 228:
            return 'A';
        case 233:
        case 232:
        case 234:
        case 235:
            return 'E';
        case 237:
        case 236:
        case 238:
        case 239:
            return 'I';
        case 243:
        case 242:
        case 244:
        case 245:
        case 246:
            return 'O';
        case 250:
        case 249:
        case 251:
        case 252:
            return 'U';
        case 231:
            return 'C';
        default:
            return b;
    }
}

std::string upper(std::string_view bytes) {
    std::string out(bytes);
    for (auto& ch : out)
        ch = static_cast<char>(upperByte(static_cast<unsigned char>(ch)));
    return out;
}

}  // namespace nivex
