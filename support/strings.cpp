/* strings.cpp - null-tolerant byte-string operations and the FrameRoman case-folding table. */
#include "support/strings.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "support/memory.h"

/* Identity except ASCII A-Z and the accented capitals of FrameRoman (Ä Å Ç É Ñ Ö Ü Æ Ø
 * À Ã Õ Œ Ÿ Â Ê Á Ë È Í Î Ï Ì Ó Ô Ò Ú Û Ù), which map to their small forms. */
const uint8_t FrameRomanFoldTable[256] = {
    0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0x11, 0x12,
    0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25,
    0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38,
    0x39, 0x3A, 0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B,
    0x6C, 0x6D, 0x6E, 0x6F, 0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x5B, 0x5C, 0x5D, 0x5E,
    0x5F, 0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F, 0x70, 0x71,
    0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x7B, 0x7C, 0x7D, 0x7E, 0x7F, 0x8A, 0x8C, 0x8D, 0x8E, 0x96,
    0x9A, 0x9F, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F, 0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97,
    0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA,
    0xAB, 0xAC, 0xAD, 0xBE, 0xBF, 0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD,
    0xBE, 0xBF, 0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0x88, 0x8B, 0x9B, 0xCF, 0xCF, 0xD0,
    0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD8, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF, 0xE0, 0xE1, 0xE2, 0xE3,
    0xE4, 0x89, 0x90, 0x87, 0x91, 0x8F, 0x92, 0x94, 0x95, 0x93, 0x97, 0x99, 0xF0, 0x98, 0x9C, 0x9E, 0x9D, 0xF5, 0xF6,
    0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF,
};

int32_t StrLength(const char* text) { return text ? (int32_t)strlen(text) : 0; }

char* StrDuplicate(const char* text)
{
    if (!text)
        return NULL;
    size_t length = strlen(text);
    char* copy = (char*)MemAllocZeroed(length + 1, 1, 0);
    if (copy)
        memcpy(copy, text, length);
    return copy;
}

char* StrCopy(char* destination, const char* source)
{
    if (!destination)
        return NULL;
    if (!source || !*source) {
        *destination = '\0';
        return destination;
    }
    size_t length = strlen(source);
    memmove(destination, source, length + 1);
    return destination + length;
}

int32_t StrCopyBounded(char* destination, const char* source, int32_t size)
{
    if (!destination)
        return 0;
    if (!source || size <= 1) {
        if (size >= 1)
            *destination = '\0';
        return 0;
    }
    int32_t copied = 0;
    while (copied < size - 1 && source[copied]) {
        destination[copied] = source[copied];
        copied++;
    }
    destination[copied] = '\0';
    return copied;
}

int32_t StrAppend(char* destination, const char* source)
{
    if (!destination)
        return 0;
    size_t length = strlen(destination);
    if (source && *source) {
        size_t extra = strlen(source);
        memmove(destination + length, source, extra + 1);
        length += extra;
    }
    return (int32_t)length;
}

int32_t StrAppendBounded(char* destination, const char* source, int32_t size)
{
    if (!destination)
        return 0;
    int32_t length = (int32_t)strlen(destination);
    if (!source || !*source)
        return length;
    int32_t start = length;
    while (length < size - 1 && *source)
        destination[length++] = *source++;
    if (length != start)
        destination[length] = '\0';
    return length;
}

int32_t StrAppendChar(char* destination, char byte, int32_t size)
{
    if (!destination)
        return 0;
    int32_t length = (int32_t)strlen(destination);
    if (length >= size - 1)
        return length;
    destination[length] = byte;
    destination[length + 1] = '\0';
    return length + 1;
}

int32_t StrAppendInt(char* destination, int32_t value, int32_t size)
{
    if (!destination)
        return 0;
    char scratch[16];
    snprintf(scratch, sizeof scratch, "%d", (int)value);
    return StrAppendBounded(destination, scratch, size);
}

char* StrFindChar(const char* text, int32_t value)
{
    if (!text || (uint8_t)value == 0)
        return NULL;
    for (const char* p = text; *p; p++)
        if ((uint8_t)*p == (uint8_t)value)
            return (char*)p;
    return NULL;
}

int32_t StrFind(const char* text, const char* pattern)
{
    if (!text || !pattern || !*text)
        return -1;
    const char* hit = strstr(text, pattern);
    return hit ? (int32_t)(hit - text) : -1;
}

int32_t StrCompare(const char* a, const char* b)
{
    const uint8_t* x = (const uint8_t*)(a ? a : "");
    const uint8_t* y = (const uint8_t*)(b ? b : "");
    while (*x && *x == *y) {
        x++;
        y++;
    }
    return (int32_t)*x - (int32_t)*y;
}

int32_t StrEqual(const char* a, const char* b) { return StrCompare(a, b) == 0; }

int32_t StrCompareNoCase(const char* a, const char* b)
{
    const uint8_t* x = (const uint8_t*)(a ? a : "");
    const uint8_t* y = (const uint8_t*)(b ? b : "");
    while (*x && FrameRomanFoldTable[*x] == FrameRomanFoldTable[*y]) {
        x++;
        y++;
    }
    return (int32_t)FrameRomanFoldTable[*x] - (int32_t)FrameRomanFoldTable[*y];
}

int32_t StrEqualNoCase(const char* a, const char* b) { return StrCompareNoCase(a, b) == 0; }

int32_t StrStartsWith(const char* text, const char* prefix)
{
    const char* t = text ? text : "";
    const char* p = prefix ? prefix : "";
    while (*p)
        if (*t++ != *p++)
            return 0;
    return 1;
}

void StrTrimLeading(char* text)
{
    if (!text)
        return;
    size_t skip = 0;
    while (text[skip] == ' ')
        skip++;
    if (skip)
        memmove(text, text + skip, strlen(text + skip) + 1);
}

void StrTrimTrailing(char* text)
{
    if (!text || !*text)
        return;
    size_t length = strlen(text);
    while (length > 0 && text[length - 1] == ' ')
        text[--length] = '\0';
}

void StrTruncate(char* text, int32_t position)
{
    if (text && position >= 0)
        text[position] = '\0';
}

int32_t StrToInt(const char* text) { return text ? (int32_t)atoi(text) : 0; }
