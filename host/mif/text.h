// text.h - MIF string values: reading `...' tokens with their escapes into UTF-8 and writing
// UTF-8 back as tokens, for MIF 8 and later (UTF-8 files) and MIF 7 and older (FrameRoman bytes
// with \x escapes, or the Asian encoding of the current font).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tw::host {

// How the bytes of a string token are to be read.
enum class MifEncoding : uint8_t {
    Utf8,       // MIF 8.00 and later
    FrameRoman, // MIF 7.00 and older, roman fonts
    ShiftJis,   // MIF 7.00 and older, fonts with FEncoding `JISX0208.ShiftJIS'
    Big5,       // `BIG5'
    Gb2312,     // `GB2312-80.EUC'
    Ksc5601,    // `KSC5601-1992'
};

// Encoding named by an <FEncoding> (or <MIFEncoding>) value; FrameRoman when not known.
MifEncoding MifEncodingFromFont(std::string_view name);

// Decodes a string token (with its ` and ' quotes) into UTF-8; where the value runs over lines,
// each line end with the next line's indentation reads as one space. Returns false and sets
// `error` for an unknown escape, invalid UTF-8 or bytes that the encoding cannot convert.
bool DecodeMifString(std::string_view token, MifEncoding encoding, std::string& out, std::string& error);

// Writes UTF-8 text as a string token (with quotes) the way the publishing program writes it:
// legacy files get FrameRoman bytes as \xNN escapes; characters FrameRoman lacks become '?'.
std::string EncodeMifString(std::string_view utf8, bool legacyFile);

// The same for text that is read in `encoding`: UTF-8 as it is; FrameRoman, or the Asian
// encoding of a legacy font, as \x escapes of its bytes. Characters the encoding lacks become '?'.
std::string EncodeMifString(std::string_view utf8, MifEncoding encoding);

// FrameRoman byte to Unicode code point (0 for bytes that have no character), and back
// (-1 when the code point has no FrameRoman byte).
uint32_t FrameRomanToUnicode(uint8_t byte);
int FrameRomanFromUnicode(uint32_t codePoint);

// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, uint32_t codePoint);

// Byte offset of the first invalid UTF-8 sequence in `text`, or npos when all of it is valid.
size_t FindInvalidUtf8(std::string_view text);

// The text of a special character written <Char Name> (Tab, EmDash, ...); "" when unknown.
const char* MifCharText(std::string_view name);

} // namespace tw::host
