/* encoding.h - the host encodings the text layer knows (FrameRoman, four double-byte sets and
 * UTF-8), which one is current, character-boundary helpers for bounded copies and searches,
 * and conversions between them, UTF-8 and UTF-16 through ICU with the host's converters. */
#ifndef TAGWRIGHT_SUPPORT_ENCODING_H
#define TAGWRIGHT_SUPPORT_ENCODING_H

#include <stdint.h>

enum {
    ENCODING_FRAMEROMAN = 0,
    ENCODING_SHIFT_JIS = 1,
    ENCODING_KSC5601 = 2,
    ENCODING_BIG5 = 3,
    ENCODING_GB2312 = 4,
    ENCODING_UTF8 = 5,
    ENCODING_COUNT = 6
};

typedef struct EncodingRecord {
    uint8_t lead[256];  /* 1: the byte can start a two-byte character */
    uint8_t trail[256]; /* 1: the byte can be the second byte of a two-byte character */
    const char* name;
} EncodingRecord;

/* The six records, indexed by encoding number; filled by the first SetEncoding. */
extern EncodingRecord EncodingRecords[ENCODING_COUNT];

/* ---- the encoding table ------------------------------------------------------------------ */
int32_t EncodingsReady(void);
/* Index of the current encoding (starts at 0, FrameRoman). */
int32_t CurrentEncoding(void);
/* Makes the record whose name matches (ignoring case) current; an unknown name changes
 * nothing. Returns the current index after the call. */
int32_t SetEncoding(const char* name);
/* Index of the first record whose name matches ignoring case; 0 when none does. */
int32_t EncodingIndex(const char* name);
/* Where the host is installed: a new string (BridgeFree), or null when the host gives none
 * or cannot be asked. The client's entry hands the encoding layer such a function. */
typedef char* (*HostDirectoryFn)(void);
void SetHostDirectorySource(HostDirectoryFn source);
/* Start-up: FrameRoman current, ICU data directory <host install dir>/icu_data unless ICU
 * already has one. 0 on success, 1 when the data directory cannot be set (no directory
 * source, or it gives no directory). */
int32_t StartTextEncodings(void);
/* ICU converter name of an encoding index; null outside 0-5. */
const char* ConverterName(int32_t index);
/* Record name for a converter name (exact match; also "UTF-16"); null for any other name. */
const char* EncodingNameOfConverter(const char* converter);

/* ---- character helpers (encoding: an index 0-5) ------------------------------------------ */
int32_t Utf8CharLength(uint8_t lead);
const char* Utf8Next(const char* cursor);
int32_t IsUtf8(const char* text);
int32_t Utf8CutPosition(const char* text, int32_t position);
/* 1 when text holds the substitution character (0x1A) that a conversion into the current
 * encoding puts in place of a character the encoding lacks: such a text no longer names one
 * thing. 0 otherwise and for a null text. */
int32_t HasSubstitutedChars(const char* text);
/* Bytes of the character that starts at text (a lead byte and its trail byte, or a UTF-8
 * character), never counting past the terminator; 0 at the terminator. */
int32_t EncodingCharLength(const char* text, int32_t encoding);
int32_t IsSecondByte(const char* text, int32_t position, int32_t encoding);
/* At most size - 1 bytes, terminated, never splitting a character; returns bytes copied. */
int32_t CopyBoundedChars(char* destination, const char* source, int32_t size, int32_t encoding);
/* Appends within size - 1 bytes by the same cut rule; returns the new total length. */
int32_t AppendBoundedChars(char* destination, const char* source, int32_t size, int32_t encoding);
/* Offset of the first occurrence of pattern starting on a character boundary, or -1. */
int32_t FindChars(const char* text, const char* pattern, int32_t encoding);
/* Last occurrence, on a character boundary, of the character that starts `character`: one
 * byte, a lead byte and its trail byte, or under UTF-8 one UTF-8 character (at most 4
 * bytes). Null when absent, for a null or empty text, or an empty character. */
const char* FindLastChar(const char* text, const char* character, int32_t encoding);

/* ---- conversions: new texts owned by the caller (MemFree); null when a conversion fails -- */
char* ToUtf8(const char* text);
char* ToUtf8From(const char* text, int32_t encoding);
/* Converts text chunk by chunk, passing control characters (below 32) through unconverted
 * unless keepControls is set. Converter names: ICU names, "UTF-16" (machine-order units
 * ending in a zero unit) and "locale" (ICU's default converter). */
char* ConvertWithControls(const char* text, const char* source, const char* target, int32_t keepControls,
                          int32_t escape);
/* One ICU conversion; *outLength receives the result's length in bytes (0 on failure). */
char* ConvertText(const char* text, const char* source, const char* target, int32_t* outLength, int32_t escape);

#endif
