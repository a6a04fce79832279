// text.cpp - MIF string tokens to UTF-8 and back: escapes, FrameRoman for legacy files,
// the Asian encodings of legacy fonts through ICU; the special characters of <Char>.
#include "host/mif/text.h"

#include <cstring>

#include <unicode/ucnv.h>

#include <cstdio>
#include <map>
#include <memory>
#include <vector>

namespace tw::host {
namespace {

// FrameRoman upper half (0x80-0xFF), the same table as the converter the build compiles
// from support/frameroman.ucm (a host test holds the two together): close to Mac Roman,
// with the Windows-only Latin-1 characters in Mac Roman's symbol slots; 0 where the
// character set has no character.
constexpr uint16_t kFrameRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, // 80
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8, // 88
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3, // 90
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, // 98
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF, // A0
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x00A6, 0x00C6, 0x00D8, // A8
    0x00D7, 0x00B1, 0x00F0, 0x0160, 0x00A5, 0x00B5, 0x00B9, 0x00B2, // B0
    0x00B3, 0x00BC, 0x00BD, 0x00AA, 0x00BA, 0x00BE, 0x00E6, 0x00F8, // B8
    0x00BF, 0x00A1, 0x00AC, 0x00D0, 0x0192, 0x00DD, 0x00FD, 0x00AB, // C0
    0x00BB, 0x2026, 0x00FE, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153, // C8
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x00DE, // D0
    0x00FF, 0x0178, 0x2044, 0x00A4, 0x2039, 0x203A, 0xFB01, 0xFB02, // D8
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, // E0
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4, // E8
    0x0161, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x20AC, 0x02C6, 0x02DC, // F0
    0x00AF, 0x02C7, 0x017D, 0x02DA, 0x00B8, 0x02DD, 0x017E, 0x0000, // F8
};

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

const char* IcuName(MifEncoding encoding)
{
    switch (encoding) {
    case MifEncoding::ShiftJis: return "Shift_JIS";
    case MifEncoding::Big5: return "Big5";
    case MifEncoding::Gb2312: return "EUC-CN";
    case MifEncoding::Ksc5601: return "EUC-KR";
    default: return nullptr;
    }
}

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};

// Converts legacy bytes of an Asian encoding to UTF-8 with ICU; stops at the first byte
// sequence the encoding cannot read.
bool ConvertAsian(const std::string& bytes, MifEncoding encoding, std::string& out, std::string& error)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, ConverterCloser> from(ucnv_open(IcuName(encoding), &status));
    if (U_FAILURE(status)) {
        error = std::string("no converter for the font encoding ") + IcuName(encoding);
        return false;
    }
    ucnv_setToUCallBack(from.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    std::vector<UChar> wide(bytes.size() * 2 + 4);
    int32_t n = ucnv_toUChars(from.get(), wide.data(), static_cast<int32_t>(wide.size()), bytes.data(),
                              static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status)) {
        error = std::string("text that is not valid ") + IcuName(encoding);
        return false;
    }
    for (int32_t i = 0; i < n; ++i) {
        uint32_t cp = wide[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            ++i;
        }
        AppendUtf8(out, cp);
    }
    return true;
}

} // namespace

MifEncoding MifEncodingFromFont(std::string_view name)
{
    // Font encodings (<FEncoding>) and the short names a file-wide <MIFEncoding> may use.
    if (name == "JISX0208.ShiftJIS" || name == "ShiftJIS" || name == "Shift_JIS")
        return MifEncoding::ShiftJis;
    if (name == "BIG5" || name == "Big5")
        return MifEncoding::Big5;
    if (name == "GB2312-80.EUC" || name == "GB2312")
        return MifEncoding::Gb2312;
    if (name == "KSC5601-1992" || name == "KSC5601")
        return MifEncoding::Ksc5601;
    return MifEncoding::FrameRoman;
}

uint32_t FrameRomanToUnicode(uint8_t byte) { return byte < 0x80 ? byte : kFrameRomanHigh[byte - 0x80]; }

int FrameRomanFromUnicode(uint32_t codePoint)
{
    if (codePoint < 0x80)
        return static_cast<int>(codePoint);
    for (int i = 0; i < 128; ++i)
        if (kFrameRomanHigh[i] == codePoint && codePoint != 0)
            return 0x80 + i;
    return -1;
}

void AppendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Reads one UTF-8 sequence at `i`; returns its length, or 0 when it is not valid UTF-8.
static size_t Utf8Sequence(std::string_view text, size_t i, uint32_t& cp)
{
    const auto b = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    uint8_t c = b(i);
    size_t len;
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07;
    } else
        return 0;
    if (i + len > text.size())
        return 0;
    for (size_t k = 1; k < len; ++k) {
        if ((b(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    if ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
        return 0;
    return len;
}

size_t FindInvalidUtf8(std::string_view text)
{
    uint32_t cp;
    for (size_t i = 0; i < text.size();) {
        // Runs of ASCII eight bytes at a time.
        uint64_t word;
        while (i + 8 <= text.size() && (std::memcpy(&word, text.data() + i, 8), (word & 0x8080808080808080ull) == 0))
            i += 8;
        while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80)
            ++i;
        if (i == text.size())
            break;
        size_t len = Utf8Sequence(text, i, cp);
        if (len == 0)
            return i;
        i += len;
    }
    return std::string_view::npos;
}

bool DecodeMifString(std::string_view token, MifEncoding encoding, std::string& out, std::string& error)
{
    out.clear();
    if (token.size() < 2 || token.front() != '`' || token.back() != '\'') {
        error = "a string value must be written `...'";
        return false;
    }
    std::string_view body = token.substr(1, token.size() - 2);
    const bool legacy = encoding != MifEncoding::Utf8;
    std::string bytes; // legacy: the raw bytes in the font's encoding
    auto put = [&](uint32_t cp) {
        if (legacy)
            bytes += static_cast<char>(cp);
        else
            AppendUtf8(out, cp);
    };
    for (size_t i = 0; i < body.size();) {
        char c = body[i];
        if (c == '\r' || c == '\n') {
            // A value that runs over lines: the line end and the indentation of the next line
            // read as one space, as between words.
            while (i < body.size() && (body[i] == '\r' || body[i] == '\n' || body[i] == ' ' || body[i] == '\t'))
                ++i;
            put(' ');
            continue;
        }
        if (c != '\\') {
            if (legacy || static_cast<uint8_t>(c) < 0x80) {
                put(static_cast<uint8_t>(c));
                ++i;
                continue;
            }
            uint32_t cp;
            size_t len = Utf8Sequence(body, i, cp);
            if (len == 0) {
                error = "invalid UTF-8 in a string";
                return false;
            }
            out.append(body.substr(i, len));
            i += len;
            continue;
        }
        if (i + 1 >= body.size()) {
            error = "a string ends with a lone backslash";
            return false;
        }
        char e = body[i + 1];
        i += 2;
        switch (e) {
        case 't': put('\t'); break;
        case '>': put('>'); break;
        case 'q': put('\''); break;
        case 'Q': put('`'); break;
        case '\\': put('\\'); break;
        case 'x': {
            int h1 = i < body.size() ? HexDigit(body[i]) : -1;
            int h2 = i + 1 < body.size() ? HexDigit(body[i + 1]) : -1;
            if (h1 < 0) {
                error = "\\x escape without hexadecimal digits";
                return false;
            }
            uint32_t v = static_cast<uint32_t>(h1);
            ++i;
            if (h2 >= 0) {
                v = v * 16 + static_cast<uint32_t>(h2);
                ++i;
            }
            if (i < body.size() && body[i] == ' ')
                ++i; // the space that ends a \x escape
            if (legacy)
                bytes += static_cast<char>(v);
            else
                AppendUtf8(out, v < 0x80 ? v : FrameRomanToUnicode(static_cast<uint8_t>(v)));
            break;
        }
        default: error = std::string("unknown escape \\") + e + " in a string"; return false;
        }
    }
    if (!legacy)
        return true;
    if (encoding == MifEncoding::FrameRoman) {
        for (unsigned char b : bytes) {
            uint32_t cp = FrameRomanToUnicode(b);
            AppendUtf8(out, cp != 0 || b == 0 ? cp : 0xFFFD);
        }
        return true;
    }
    return ConvertAsian(bytes, encoding, out, error);
}

namespace {

// Appends a character below 0x80 (or a byte of a legacy encoding that is below 0x80) to a
// token, escaped where the token's syntax needs it.
void AppendAscii(std::string& token, uint32_t c)
{
    char hex[8];
    switch (c) {
    case '\t': token += "\\t"; break;
    case '>': token += "\\>"; break;
    case '\'': token += "\\q"; break;
    case '`': token += "\\Q"; break;
    case '\\': token += "\\\\"; break;
    default:
        if (c < 0x20) {
            snprintf(hex, sizeof hex, "\\x%02x ", c);
            token += hex;
        } else {
            token += static_cast<char>(c);
        }
    }
}

void AppendByteEscape(std::string& token, unsigned byte)
{
    char hex[8];
    snprintf(hex, sizeof hex, "\\x%02x ", byte & 0xFFu);
    token += hex;
}

} // namespace

std::string EncodeMifString(std::string_view utf8, MifEncoding encoding)
{
    std::unique_ptr<UConverter, ConverterCloser> to;
    if (const char* name = IcuName(encoding)) {
        UErrorCode status = U_ZERO_ERROR;
        to.reset(ucnv_open(name, &status));
        if (U_FAILURE(status))
            to.reset();
        else
            ucnv_setFromUCallBack(to.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    }
    std::string token = "`";
    for (size_t i = 0; i < utf8.size();) {
        uint32_t cp;
        size_t len = Utf8Sequence(utf8, i, cp);
        if (len == 0) { // not UTF-8: written as a replacement rather than as broken bytes
            cp = 0xFFFD;
            len = 1;
        }
        if (cp < 0x80) {
            AppendAscii(token, cp);
        } else if (encoding == MifEncoding::Utf8) {
            token.append(utf8.substr(i, len));
        } else if (encoding == MifEncoding::FrameRoman || !to) {
            int b = FrameRomanFromUnicode(cp);
            if (b < 0)
                token += '?';
            else
                AppendByteEscape(token, static_cast<unsigned>(b));
        } else {
            // The character's bytes in the font's encoding: high bytes as \x escapes, a trail
            // byte in the ASCII range (a backslash, say) escaped like the character it looks like.
            UChar wide[2];
            int32_t n = 0;
            if (cp < 0x10000) {
                wide[n++] = static_cast<UChar>(cp);
            } else {
                wide[n++] = static_cast<UChar>(0xD800 + ((cp - 0x10000) >> 10));
                wide[n++] = static_cast<UChar>(0xDC00 + ((cp - 0x10000) & 0x3FF));
            }
            char bytes[16];
            UErrorCode status = U_ZERO_ERROR;
            ucnv_resetFromUnicode(to.get());
            int32_t m = ucnv_fromUChars(to.get(), bytes, sizeof bytes, wide, n, &status);
            if (U_FAILURE(status) || m <= 0) {
                token += '?';
            } else {
                for (int32_t k = 0; k < m; ++k) {
                    auto b = static_cast<unsigned char>(bytes[k]);
                    if (b < 0x80)
                        AppendAscii(token, b);
                    else
                        AppendByteEscape(token, b);
                }
            }
        }
        i += len;
    }
    token += '\'';
    return token;
}

std::string EncodeMifString(std::string_view utf8, bool legacyFile)
{
    return EncodeMifString(utf8, legacyFile ? MifEncoding::FrameRoman : MifEncoding::Utf8);
}

// Text of the special characters written as <Char Name>.
const char* MifCharText(std::string_view name)
{
    static const std::map<std::string_view, const char*> chars = {{"Tab", "\t"},
                                                                  {"HardSpace", "\u00A0"},
                                                                  {"SoftHyphen", "\u00AD"},
                                                                  {"HardHyphen", "\u2011"},
                                                                  {"DiscHyphen", "\u00AD"},
                                                                  {"NoHyphen", ""},
                                                                  {"Cent", "\u00A2"},
                                                                  {"Pound", "\u00A3"},
                                                                  {"Yen", "\u00A5"},
                                                                  {"EnDash", "\u2013"},
                                                                  {"EmDash", "\u2014"},
                                                                  {"Dagger", "\u2020"},
                                                                  {"DoubleDagger", "\u2021"},
                                                                  {"Bullet", "\u2022"},
                                                                  {"HardReturn", "\u2028"},
                                                                  {"NumberSpace", "\u2007"},
                                                                  {"ThinSpace", "\u2009"},
                                                                  {"EnSpace", "\u2002"},
                                                                  {"EmSpace", "\u2003"}};
    auto it = chars.find(name);
    return it == chars.end() ? "" : it->second;
}

} // namespace tw::host
