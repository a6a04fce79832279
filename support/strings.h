/* strings.h - byte-string operations over NUL-terminated text in the host's 8-bit encoding,
 * and the FrameRoman case-folding table. Every operation accepts a null text: it either
 * yields a neutral result or reads the null as the empty text, as noted for each. */
#ifndef TAGWRIGHT_SUPPORT_STRINGS_H
#define TAGWRIGHT_SUPPORT_STRINGS_H

#include <stdint.h>

/* Lower-case form of every FrameRoman byte (ASCII A-Z and the accented capitals). */
extern const uint8_t FrameRomanFoldTable[256];

/* Bytes before the terminator; null -> 0. */
int32_t StrLength(const char* text);
/* New copy (MemAllocZeroed, no fatal flag); null text or no memory -> null. */
char* StrDuplicate(const char* text);
/* Copies source and terminator; returns the terminator written in destination.
 * Null destination -> null; null or empty source -> destination emptied, returns it. */
char* StrCopy(char* destination, const char* source);
/* At most size - 1 bytes, always terminated; returns bytes copied. */
int32_t StrCopyBounded(char* destination, const char* source, int32_t size);
/* Unbounded append; returns the new length (null destination -> 0). */
int32_t StrAppend(char* destination, const char* source);
/* Appends while the total stays within size - 1 bytes; returns the new length. */
int32_t StrAppendBounded(char* destination, const char* source, int32_t size);
/* Appends one byte if the length is below size - 1; returns the new length. */
int32_t StrAppendChar(char* destination, char byte, int32_t size);
/* Appends the value as "%d" writes it, with the StrAppendBounded rule. */
int32_t StrAppendInt(char* destination, int32_t value, int32_t size);
/* First byte equal to value (unsigned compare); null for null/empty text or value 0. */
char* StrFindChar(const char* text, int32_t value);
/* Index of the first occurrence of pattern, or -1 (null text or pattern, empty text). */
int32_t StrFind(const char* text, const char* pattern);
/* Difference of the first differing bytes as unsigned values; null reads as empty. */
int32_t StrCompare(const char* a, const char* b);
int32_t StrEqual(const char* a, const char* b);
/* As StrCompare and StrEqual, with every byte passed through FrameRomanFoldTable. */
int32_t StrCompareNoCase(const char* a, const char* b);
int32_t StrEqualNoCase(const char* a, const char* b);
/* 1 if text begins with prefix (null reads as empty), else 0. Case-sensitive. */
int32_t StrStartsWith(const char* text, const char* prefix);
/* Leading / trailing 0x20 spaces removed in place (tabs stay). */
void StrTrimLeading(char* text);
void StrTrimTrailing(char* text);
/* Writes NUL at position (within the text or at its end). */
void StrTruncate(char* text, int32_t position);
/* atoi; null -> 0. */
int32_t StrToInt(const char* text);

#endif
