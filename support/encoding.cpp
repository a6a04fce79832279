/* encoding.cpp - the encoding table and current encoding, character-boundary helpers, and
 * conversions through ICU converters (the host's own ones come from its icu_data directory).
 * Where the host has no ICU the plug-in still works: conversions that need a converter fail,
 * and the console says once which library was looked for. */
#include "support/encoding.h"

#include <stdio.h>
#include <string.h>

#include "platform/icu_library.h"
#include "support/console.h"
#include "support/memory.h"
#include "support/strings.h"

EncodingRecord EncodingRecords[ENCODING_COUNT];

static int32_t currentEncoding = ENCODING_FRAMEROMAN;
static int32_t recordsReady = 0;

typedef struct ByteRange {
    uint8_t first;
    uint8_t last;
} ByteRange;

typedef struct EncodingDefinition {
    const char* name;
    const char* converter;
    ByteRange lead[2];
    ByteRange trail[2];
} EncodingDefinition;

/* Empty ranges are {1, 0}. */
static const EncodingDefinition definitions[ENCODING_COUNT] = {
    {"FrameRoman", "adobe-fm-roman-windows", {{1, 0}, {1, 0}}, {{1, 0}, {1, 0}}},
    {"JISX0208.ShiftJIS", "adobe-fm-shift-jis", {{0x81, 0x9F}, {0xE0, 0xFC}}, {{0x40, 0x7E}, {0x80, 0xFC}}},
    {"KSC5601-1992", "adobe-fm-ksc-5601", {{0xA1, 0xFE}, {1, 0}}, {{0xA1, 0xFE}, {1, 0}}},
    {"BIG5", "adobe-fm-big5", {{0xA1, 0xFE}, {1, 0}}, {{0x40, 0x7E}, {0xA1, 0xFE}}},
    {"GB2312-80.EUC", "adobe-fm-gb2312", {{0x81, 0xFE}, {1, 0}}, {{0x40, 0xFE}, {1, 0}}},
    {"UTF-8", "UTF-8", {{1, 0}, {1, 0}}, {{1, 0}, {1, 0}}},
};

static void FillRecords(void)
{
    for (int i = 0; i < ENCODING_COUNT; i++) {
        EncodingRecord* record = &EncodingRecords[i];
        memset(record->lead, 0, sizeof record->lead);
        memset(record->trail, 0, sizeof record->trail);
        for (const ByteRange& range : definitions[i].lead)
            for (int b = range.first; b <= range.last; b++)
                record->lead[b] = 1;
        for (const ByteRange& range : definitions[i].trail)
            for (int b = range.first; b <= range.last; b++)
                record->trail[b] = 1;
        record->name = definitions[i].name;
    }
    recordsReady = 1;
}

static const EncodingRecord* Record(int32_t encoding)
{
    if (!recordsReady)
        FillRecords();
    if (encoding < 0 || encoding >= ENCODING_COUNT)
        encoding = ENCODING_FRAMEROMAN;
    return &EncodingRecords[encoding];
}

/* ---- the ICU library ---------------------------------------------------------------------- */

static int32_t missingIcuReported = 0;

/* The bound ICU, or null; the first call without one that can reach the console says so. */
static const IcuLibrary* Icu(void)
{
    const IcuLibrary* icu = IcuLibraryGet();
    if (!icu && !missingIcuReported && ConsoleWriteSlot) {
        missingIcuReported = 1;
        char line[2300];
        snprintf(line, sizeof line,
                 "Tagwright: no ICU library found (looked for %s); text is converted only where it is plain ASCII.\n",
                 IcuLibrarySought());
        ConsoleWriteSlot(line);
    }
    return icu;
}

static int32_t Utf16Length(const UChar* units)
{
    int32_t count = 0;
    while (units[count])
        count++;
    return count;
}

/* ---- the encoding table ------------------------------------------------------------------ */

int32_t EncodingsReady(void) { return recordsReady; }

int32_t CurrentEncoding(void) { return currentEncoding; }

static int32_t FindEncoding(const char* name)
{
    for (int32_t i = 0; i < ENCODING_COUNT; i++)
        if (StrEqualNoCase(definitions[i].name, name))
            return i;
    return -1;
}

int32_t SetEncoding(const char* name)
{
    if (!recordsReady)
        FillRecords();
    int32_t index = FindEncoding(name);
    if (index >= 0)
        currentEncoding = index;
    return currentEncoding;
}

int32_t EncodingIndex(const char* name)
{
    int32_t index = FindEncoding(name);
    return index >= 0 ? index : 0;
}

/* Asks the host where it is installed; handed in by the client's entry. */
static HostDirectoryFn hostDirectorySource = NULL;

void SetHostDirectorySource(HostDirectoryFn source) { hostDirectorySource = source; }

int32_t StartTextEncodings(void)
{
    if (!recordsReady)
        SetEncoding("FrameRoman");
    const IcuLibrary* icu = Icu();
    if (!icu)
        return 1;
    const char* existing = icu->getDataDirectory();
    if (existing && *existing)
        return 0;

    char* hostDir = hostDirectorySource ? hostDirectorySource() : NULL;
    if (!hostDir || !*hostDir) {
        BridgeFree(hostDir);
        return 1;
    }

#if defined(_WIN32)
    static const char suffix[] = "\\icu_data";
#else
    static const char suffix[] = "/icu_data";
#endif
    char dataDir[1024];
    size_t hostLength = strlen(hostDir);
    if (hostLength + sizeof suffix > sizeof dataDir) { /* would not fit: leave ICU unset */
        BridgeFree(hostDir);
        return 1;
    }
    memcpy(dataDir, hostDir, hostLength);
    memcpy(dataDir + hostLength, suffix, sizeof suffix);
    BridgeFree(hostDir);
    icu->setDataDirectory(dataDir);
    return 0;
}

const char* ConverterName(int32_t index)
{
    if (index < 0 || index >= ENCODING_COUNT)
        return NULL;
    return definitions[index].converter;
}

const char* EncodingNameOfConverter(const char* converter)
{
    if (!converter)
        return NULL;
    for (int i = 0; i < ENCODING_COUNT; i++)
        if (strcmp(definitions[i].converter, converter) == 0)
            return definitions[i].name;
    if (strcmp(converter, "UTF-16") == 0)
        return "UTF-16";
    return NULL;
}

/* ---- character helpers ------------------------------------------------------------------- */

int32_t Utf8CharLength(uint8_t lead)
{
    if (lead < 0xC0)
        return 1;
    if (lead < 0xE0)
        return 2;
    if (lead < 0xF0)
        return 3;
    if (lead < 0xF8)
        return 4;
    if (lead < 0xFC)
        return 5;
    if (lead < 0xFE)
        return 6;
    return 1;
}

static int IsContinuation(uint8_t byte) { return byte >= 0x80 && byte <= 0xBF; }

const char* Utf8Next(const char* cursor) { return cursor + Utf8CharLength((uint8_t)*cursor); }

int32_t EncodingCharLength(const char* text, int32_t encoding)
{
    uint8_t first = (uint8_t)text[0];
    if (!first)
        return 0;
    if (encoding == ENCODING_UTF8) {
        int32_t length = Utf8CharLength(first);
        int32_t available = 1;
        while (available < length && text[available])
            available++;
        return available;
    }
    const EncodingRecord* record = Record(encoding);
    if (record->lead[first] && text[1] && record->trail[(uint8_t)text[1]])
        return 2;
    return 1;
}

int32_t IsUtf8(const char* text)
{
    if (!text)
        return 0;
    const uint8_t* p = (const uint8_t*)text;
    while (*p) {
        uint8_t lead = *p;
        if (lead >= 0x80 && (lead < 0xC0 || lead > 0xFD))
            return 0;
        int32_t length = Utf8CharLength(lead);
        for (int32_t i = 1; i < length; i++)
            if (!IsContinuation(p[i]))
                return 0; /* also stops at the terminator */
        p += length;
    }
    return 1;
}

int32_t HasSubstitutedChars(const char* text) { return text && strchr(text, 0x1A) ? 1 : 0; }

int32_t Utf8CutPosition(const char* text, int32_t position)
{
    if (!text || position < 0 || (size_t)position >= strlen(text))
        return position;
    int32_t steps = 0;
    while (position > 0 && steps < 4 && IsContinuation((uint8_t)text[position])) {
        position--;
        steps++;
    }
    return position;
}

int32_t IsSecondByte(const char* text, int32_t position, int32_t encoding)
{
    if (!text || position <= 0 || encoding == ENCODING_UTF8)
        return 0;
    if ((size_t)position >= strlen(text))
        return 0;
    const EncodingRecord* record = Record(encoding);
    if (!record->trail[(uint8_t)text[position]])
        return 0;
    int32_t i = 0;
    while (i < position) {
        if (record->lead[(uint8_t)text[i]] && record->trail[(uint8_t)text[i + 1]]) {
            if (i + 1 == position)
                return 1;
            i += 2;
        } else {
            i++;
        }
    }
    return 0;
}

/* Number of bytes of source that fit in `room` bytes without splitting a character. */
static int32_t FittingBytes(const char* source, int32_t room, int32_t encoding)
{
    if (room <= 0)
        return 0;
    if (encoding == ENCODING_UTF8)
        return Utf8CutPosition(source, room);
    return IsSecondByte(source, room, encoding) ? room - 1 : room;
}

int32_t CopyBoundedChars(char* destination, const char* source, int32_t size, int32_t encoding)
{
    if (!destination || size <= 0)
        return 0;
    if (!source) {
        *destination = '\0';
        return 0;
    }
    int32_t limit = FittingBytes(source, size - 1, encoding);
    int32_t copied = 0;
    while (copied < limit && source[copied]) {
        destination[copied] = source[copied];
        copied++;
    }
    destination[copied] = '\0';
    return copied;
}

int32_t AppendBoundedChars(char* destination, const char* source, int32_t size, int32_t encoding)
{
    if (!destination || !source || !*source)
        return 0;
    int32_t length = (int32_t)strlen(destination);
    int32_t limit = FittingBytes(source, size - 1 - length, encoding);
    int32_t copied = 0;
    while (copied < limit && source[copied]) {
        destination[length + copied] = source[copied];
        copied++;
    }
    if (copied)
        destination[length + copied] = '\0';
    return length + copied;
}

int32_t FindChars(const char* text, const char* pattern, int32_t encoding)
{
    if (!text || !pattern)
        return -1;
    size_t patternLength = strlen(pattern);
    if (patternLength == 0)
        return 0;
    int32_t position = 0;
    while (text[position]) {
        if (strncmp(text + position, pattern, patternLength) == 0)
            return position;
        position += EncodingCharLength(text + position, encoding);
    }
    return -1;
}

const char* FindLastChar(const char* text, const char* character, int32_t encoding)
{
    if (!text || !*text || !character || !*character)
        return NULL;
    char pattern[5] = {0};
    int32_t length = EncodingCharLength(character, encoding);
    if (length > 4)
        length = 4;
    memcpy(pattern, character, (size_t)length);

    const char* last = NULL;
    const char* from = text;
    int32_t offset;
    while ((offset = FindChars(from, pattern, encoding)) >= 0) {
        last = from + offset;
        from = last + length;
    }
    return last;
}

/* ---- conversions ------------------------------------------------------------------------- */

static int IsNamed(const char* name, const char* expected) { return name && strcmp(name, expected) == 0; }

/* Largest source length whose conversion buffers (8n + 4 bytes) fit ICU's int32 capacities. */
static const size_t maxConvertible = (INT32_MAX - 8) / 8;

static char* EmptyResult(void) { return (char*)MemAllocZeroed(2, 1, MEM_FATAL_ON_FAILURE); }

static char* CopyUnits(const UChar* units, int32_t count)
{
    UChar* copy = (UChar*)MemAllocZeroed((size_t)count + 1, sizeof(UChar), MEM_FATAL_ON_FAILURE);
    if (copy)
        memcpy(copy, units, (size_t)count * sizeof(UChar));
    return (char*)copy;
}

/* Without ICU: text that is plain ASCII reads the same in FrameRoman, UTF-8 and UTF-16, so
 * it converts between them unchanged; anything else has no converter and yields none. */
static int IsAsciiBased(const char* name, int utf16)
{
    return utf16 || IsNamed(name, definitions[ENCODING_FRAMEROMAN].converter) || IsNamed(name, "UTF-8");
}

static char* ConvertAsciiOnly(const char* text, size_t length, const char* source, int sourceUtf16, const char* target,
                              int targetUtf16, int32_t* outLength)
{
    if (!IsAsciiBased(source, sourceUtf16) || !IsAsciiBased(target, targetUtf16))
        return NULL;
    const UChar* units = (const UChar*)text;
    for (size_t i = 0; i < length; i++)
        if ((sourceUtf16 ? units[i] : (uint8_t)text[i]) >= 0x80)
            return NULL;
    size_t unitSize = targetUtf16 ? sizeof(UChar) : 1;
    char* result = (char*)MemAllocZeroed(length + 2, unitSize, MEM_FATAL_ON_FAILURE);
    if (!result)
        return NULL;
    for (size_t i = 0; i < length; i++) {
        UChar unit = sourceUtf16 ? units[i] : (UChar)(uint8_t)text[i];
        if (targetUtf16)
            ((UChar*)result)[i] = unit;
        else
            result[i] = (char)unit;
    }
    *outLength = (int32_t)(length * unitSize);
    return result;
}

char* ConvertText(const char* text, const char* source, const char* target, int32_t* outLength, int32_t escape)
{
    int32_t ignored;
    if (!outLength)
        outLength = &ignored;
    *outLength = 0;
    if (!text)
        return NULL;
    int sourceUtf16 = IsNamed(source, "UTF-16");
    int targetUtf16 = IsNamed(target, "UTF-16");
    if (IsNamed(source, "locale"))
        source = NULL;
    if (IsNamed(target, "locale"))
        target = NULL;

    if (sourceUtf16 ? ((const UChar*)text)[0] == 0 : text[0] == 0)
        return EmptyResult();
    if (StrEqual(source, target)) {
        if (sourceUtf16) {
            int32_t units = Utf16Length((const UChar*)text);
            *outLength = units * 2;
            return CopyUnits((const UChar*)text, units);
        }
        char* copy = StrDuplicate(text);
        if (copy)
            *outLength = StrLength(copy);
        return copy;
    }

    size_t length = sourceUtf16 ? (size_t)Utf16Length((const UChar*)text) : strlen(text);
    if (length > maxConvertible)
        return NULL;
    const IcuLibrary* icu = Icu();
    if (!icu)
        return ConvertAsciiOnly(text, length, source, sourceUtf16, target, targetUtf16, outLength);
    UErrorCode status = U_ZERO_ERROR;
    UChar* middle = NULL;
    int32_t middleUnits = 0;
    if (!sourceUtf16) {
        UConverter* converter = icu->open(source, &status);
        if (U_FAILURE(status))
            return NULL;
        if (escape)
            icu->setToUCallBack(converter, icu->toUCallbackEscape, NULL, NULL, NULL, &status);
        icu->setFallback(converter, 1);
        int32_t capacity = (int32_t)(2 * length + 1);
        middle = (UChar*)MemAllocZeroed((size_t)capacity, sizeof(UChar), MEM_FATAL_ON_FAILURE);
        if (!middle) {
            icu->close(converter);
            return NULL;
        }
        middleUnits = icu->toUChars(converter, middle, capacity, text, (int32_t)length, &status);
        icu->close(converter);
        if (U_FAILURE(status) || middleUnits >= capacity) {
            MemFree(middle);
            return NULL;
        }
        *outLength = middleUnits * 2;
        if (targetUtf16)
            return (char*)middle;
    }

    status = U_ZERO_ERROR;
    UConverter* converter = icu->open(target, &status);
    if (U_FAILURE(status)) {
        MemFree(middle);
        *outLength = 0;
        return NULL;
    }
    int32_t capacity = (int32_t)(sourceUtf16 ? 4 * length + 4 : 8 * length + 4);
    char* result = (char*)MemAllocZeroed((size_t)capacity, 1, MEM_FATAL_ON_FAILURE);
    if (!result) {
        MemFree(middle);
        icu->close(converter);
        *outLength = 0;
        return NULL;
    }
    const UChar* from = sourceUtf16 ? (const UChar*)text : middle;
    int32_t fromUnits = sourceUtf16 ? (int32_t)length : middleUnits;
    int32_t written = icu->fromUChars(converter, result, capacity, from, fromUnits, &status);
    MemFree(middle);
    icu->close(converter);
    if (U_FAILURE(status) || written >= capacity) {
        MemFree(result);
        *outLength = 0;
        return NULL;
    }
    *outLength = written;
    return result;
}

/* The output of ConvertWithControls while it is being collected. */
typedef struct ConvertState {
    char* output;
    size_t outputLength;
    size_t outputCapacity; /* leaves room for a two-byte terminator */
    char* chunk;
    size_t chunkLength;
    const char* source;
    const char* target;
    int targetUtf16;
    int32_t escape;
} ConvertState;

static int AppendOutput(ConvertState* state, const void* bytes, size_t count)
{
    if (state->outputLength + count > state->outputCapacity)
        return 0;
    memcpy(state->output + state->outputLength, bytes, count);
    state->outputLength += count;
    return 1;
}

/* Converts the collected chunk and appends it; 0 when the conversion fails. */
static int FlushChunk(ConvertState* state)
{
    if (state->chunkLength == 0)
        return 1;
    state->chunk[state->chunkLength] = 0;
    state->chunk[state->chunkLength + 1] = 0;
    int32_t convertedLength = 0;
    char* converted = ConvertText(state->chunk, state->source, state->target, &convertedLength, state->escape);
    state->chunkLength = 0;
    if (!converted)
        return 0;
    int appended = AppendOutput(state, converted, (size_t)convertedLength);
    MemFree(converted);
    return appended;
}

char* ConvertWithControls(const char* text, const char* source, const char* target, int32_t keepControls,
                          int32_t escape)
{
    if (!text)
        return NULL;
    if (!source || !*source || !target || !*target)
        return StrDuplicate(text);
    int sourceUtf16 = IsNamed(source, "UTF-16");
    int targetUtf16 = IsNamed(target, "UTF-16");
    const UChar* units = (const UChar*)text;
    if (sourceUtf16 ? units[0] == 0 : text[0] == 0)
        return EmptyResult();
    if (IsNamed(source, "UTF-8") && !IsUtf8(text)) {
        if (targetUtf16) {
            static const UChar question[] = {'?', '?', '?', 0};
            return CopyUnits(question, 3);
        }
        return StrDuplicate("???");
    }
    if (strcmp(source, target) == 0)
        return sourceUtf16 ? CopyUnits(units, Utf16Length(units)) : StrDuplicate(text);

    size_t length = sourceUtf16 ? (size_t)Utf16Length(units) : strlen(text);
    if (length > maxConvertible)
        return NULL;
    size_t bufferSize = 4 * length + 4;
    ConvertState state;
    state.output = (char*)MemAllocZeroed(bufferSize, 1, MEM_FATAL_ON_FAILURE);
    state.chunk = (char*)MemAllocZeroed(bufferSize, 1, MEM_FATAL_ON_FAILURE);
    if (!state.output || !state.chunk) {
        MemFree(state.output);
        MemFree(state.chunk);
        return NULL;
    }
    state.outputLength = 0;
    state.outputCapacity = bufferSize - 2;
    state.chunkLength = 0;
    state.source = source;
    state.target = target;
    state.targetUtf16 = targetUtf16;
    state.escape = escape;

    int sourceUtf8 = IsNamed(source, "UTF-8");
    int sourceLocale = IsNamed(source, "locale");
    if (sourceLocale || IsNamed(target, "locale"))
        keepControls = 1;
    int32_t sourceEncoding = EncodingIndex(EncodingNameOfConverter(source));
    if (sourceEncoding == ENCODING_UTF8)
        sourceEncoding = ENCODING_FRAMEROMAN; /* no lead bytes: one byte at a time */

    int ok = 1;
    size_t position = 0;
    while (ok && position < length) {
        size_t characterBytes;
        uint32_t control; /* the control character's value, or 32 for none */
        const char* start;
        if (sourceUtf16) {
            start = (const char*)(units + position);
            characterBytes = sizeof(UChar);
            control = units[position] < 32 ? units[position] : 32;
            position++;
        } else {
            start = text + position;
            uint8_t first = (uint8_t)text[position];
            if (sourceUtf8)
                characterBytes = (size_t)EncodingCharLength(start, ENCODING_UTF8);
            else if (sourceLocale)
                characterBytes = 1;
            else
                characterBytes = (size_t)EncodingCharLength(start, sourceEncoding);
            control = (characterBytes == 1 && first < 32) ? first : 32;
            position += characterBytes;
        }
        if (control < 32 && !keepControls) {
            ok = FlushChunk(&state);
            if (ok && targetUtf16) {
                UChar unit = (UChar)control;
                ok = AppendOutput(&state, &unit, sizeof unit);
            } else if (ok) {
                char byte = (char)control;
                ok = AppendOutput(&state, &byte, 1);
            }
        } else {
            memcpy(state.chunk + state.chunkLength, start, characterBytes);
            state.chunkLength += characterBytes;
        }
    }
    if (ok)
        ok = FlushChunk(&state);
    MemFree(state.chunk);

    char* result = NULL;
    if (ok) {
        int empty = state.outputLength == 0 ||
                    (targetUtf16 ? (state.outputLength < 2 || (state.output[0] == 0 && state.output[1] == 0))
                                 : state.output[0] == 0);
        if (empty) {
            result = EmptyResult();
        } else {
            result = (char*)MemAllocZeroed(state.outputLength + 2, 1, MEM_FATAL_ON_FAILURE);
            if (result)
                memcpy(result, state.output, state.outputLength);
        }
    }
    MemFree(state.output);
    return result;
}

char* ToUtf8From(const char* text, int32_t encoding)
{
    const char* converter = ConverterName(encoding);
    if (!converter)
        return StrDuplicate(text);
    return ConvertWithControls(text, converter, "UTF-8", 0, 0);
}

char* ToUtf8(const char* text) { return ToUtf8From(text, currentEncoding); }
