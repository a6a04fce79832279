/* format.cpp - the formatting engine, the buffer and console sinks, and console printing. */
#include "support/format.h"

#include <stdio.h>
#include <string.h>

#include "support/console.h"
#include "support/encoding.h"
#include "support/memory.h"
#include "support/strings.h"

enum { SPEC_SIZE = 64, OUTPUT_SIZE = 256, CONSOLE_PIECE = 255 };

static const char conversionLetters[] = "dioxXucsfeEgGp%nC";

static int IsConversionLetter(char c) { return c && strchr(conversionLetters, c) != NULL; }

/* Copies the conversion at format (starting at "%") into spec, expanding stars with the
 * next int arguments; returns the number of format bytes used. A conversion longer than
 * the buffer keeps its first SPEC_SIZE - 1 characters. */
static size_t ReadConversion(const char* format, char* spec, va_list* args)
{
    size_t used = 0;
    size_t length = 0;
    int done = 0;
    while (!done && format[used]) {
        char c = format[used++];
        done = used > 1 && IsConversionLetter(c);
        if (c == '*') {
            char number[16];
            int n = snprintf(number, sizeof number, "%d", (int)va_arg(*args, int32_t));
            for (int i = 0; i < n && length < SPEC_SIZE - 1; i++)
                spec[length++] = number[i];
        } else if (length < SPEC_SIZE - 1) {
            spec[length++] = c;
        }
    }
    spec[length] = '\0';
    return used;
}

/* Field width and precision of a string conversion (precision -1: none). */
static void StringField(const char* spec, long* width, long* precision)
{
    const char* p = spec + 1;
    while (*p == ' ' || *p == '+' || *p == '-' || *p == '0' || *p == '#')
        p++;
    *width = 0;
    while (*p >= '0' && *p <= '9' && *width < 0x40000000)
        *width = *width * 10 + (*p++ - '0');
    *precision = -1;
    if (*p == '.') {
        p++;
        *precision = 0;
        while (*p >= '0' && *p <= '9' && *precision < 0x40000000)
            *precision = *precision * 10 + (*p++ - '0');
    }
}

/* Removes length modifiers before the letter: the argument sizes the engine reads do not
 * depend on them, and the runtime must see the type actually passed. */
static void DropLengthModifiers(char* spec)
{
    size_t length = strlen(spec);
    char letter = spec[length - 1];
    while (length > 1 && strchr("hlLqjzt", spec[length - 2])) {
        length--;
        spec[length - 1] = letter;
        spec[length] = '\0';
    }
}

static int32_t Clamp(int written, size_t size)
{
    if (written < 0)
        return 0;
    return (size_t)written >= size ? (int32_t)(size - 1) : written;
}

int32_t FormatEngine(FormatSink sink, void* context, const char* format, va_list args)
{
    if (!format)
        format = "";
    va_list ap;
    va_copy(ap, args);

    char stackOutput[OUTPUT_SIZE];
    char* output = stackOutput;
    char* heapOutput = NULL;
    size_t outputSize = sizeof stackOutput;
    int32_t total = 0;
    const char* p = format;

    for (;;) {
        const char* stretch = p;
        while (*p && *p != '%')
            p++;
        total += sink(context, stretch, (int32_t)(p - stretch));
        if (!*p)
            break;

        char spec[SPEC_SIZE];
        p += ReadConversion(p, spec, &ap);
        size_t specLength = strlen(spec);
        char letter = spec[specLength - 1];
        char modifier = specLength >= 2 ? spec[specLength - 2] : '\0';
        if (specLength < 2 || !IsConversionLetter(letter)) {
            /* unfinished or overlong conversion: shown as written, nothing consumed */
            total += sink(context, spec, (int32_t)specLength);
            continue;
        }

        int written = 0;
        if (letter == 'n') {
            void* where = va_arg(ap, void*);
            if (where && modifier == 'h')
                *(int16_t*)where = (int16_t)total;
            else if (where)
                *(int32_t*)where = total;
            continue;
        }
        DropLengthModifiers(spec);
        if (letter == 's' || letter == 'C') {
            const char* text = va_arg(ap, const char*);
            char first[5] = {0};
            if (letter == 'C') {
                if (text && CurrentEncoding() == ENCODING_UTF8) {
                    int32_t length = Utf8CharLength((uint8_t)text[0]);
                    for (int32_t i = 0; i < length && i < 4 && text[i]; i++)
                        first[i] = text[i];
                }
                text = first;
                spec[strlen(spec) - 1] = 's';
            }
            if (!text)
                text = "";
            long width, precision;
            StringField(spec, &width, &precision);
            size_t textLength = strlen(text);
            size_t shown = precision >= 0 && (size_t)precision < textLength ? (size_t)precision : textLength;
            size_t needed = ((size_t)width > shown ? (size_t)width : shown) + 1;
            if (needed > outputSize) {
                char* grown = heapOutput ? (char*)MemRealloc(heapOutput, needed, 0) : (char*)MemAlloc(needed, 0);
                if (!grown)
                    break; /* stop formatting; what the sink has stays */
                heapOutput = output = grown;
                outputSize = needed;
            }
            written = snprintf(output, outputSize, spec, text);
        } else if (letter == '%') {
            written = snprintf(output, outputSize, "%%");
        } else if (strchr("eEfgG", letter)) {
            written = snprintf(output, outputSize, spec, va_arg(ap, double));
        } else if (letter == 'p') {
            written = snprintf(output, outputSize, spec, va_arg(ap, void*));
        } else { /* d i o u x X c */
            written = snprintf(output, outputSize, spec, (int)va_arg(ap, int32_t));
        }
        total += sink(context, output, Clamp(written, outputSize));
    }

    MemFree(heapOutput);
    va_end(ap);
    return total;
}

/* ---- the buffer sink --------------------------------------------------------------------- */

typedef struct BufferSink {
    char* position;
    int32_t room;
} BufferSink;

static int32_t WriteToBuffer(void* context, const char* bytes, int32_t length)
{
    BufferSink* state = (BufferSink*)context;
    int32_t take = length < state->room ? length : state->room;
    if (take < 0)
        take = 0;
    int32_t copied = CopyBoundedChars(state->position, bytes, take + 1, CurrentEncoding());
    state->position += copied;
    state->room -= copied;
    return copied;
}

int32_t FormatToBuffer(char* buffer, const char* format, ...)
{
    if (!buffer)
        return 0;
    BufferSink state = {buffer, 0x7FFFFFFE};
    *buffer = '\0';
    va_list args;
    va_start(args, format);
    int32_t total = FormatEngine(WriteToBuffer, &state, format, args);
    va_end(args);
    *state.position = '\0';
    return total;
}

/* ---- the console sink -------------------------------------------------------------------- */

static int32_t WriteToConsole(void* context, const char* bytes, int32_t length)
{
    (void)context;
    if (length < 0)
        length = 0;
    int32_t terminated = 0;
    while (terminated <= length && bytes[terminated])
        terminated++;
    if (terminated <= length) {
        /* the rest of a terminated text: one write */
        ConsolePrint(bytes);
        return terminated;
    }
    /* a literal stretch followed by a conversion: written in pieces of at most 255 bytes */
    char piece[CONSOLE_PIECE + 1];
    int32_t done = 0;
    while (done < length) {
        int32_t left = length - done;
        int32_t size = (left < CONSOLE_PIECE ? left : CONSOLE_PIECE) + 1;
        int32_t copied = CopyBoundedChars(piece, bytes + done, size, CurrentEncoding());
        if (copied == 0) /* a malformed character longer than the piece: pass it bytewise */
            copied = StrCopyBounded(piece, bytes + done, 2);
        ConsolePrint(piece);
        done += copied;
    }
    return length;
}

int32_t ConsoleReport(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int32_t total = FormatEngine(WriteToConsole, NULL, format, args);
    va_end(args);
    return total;
}

void ConsolePrint(const char* text)
{
    if (!text)
        return;
    if (CurrentEncoding() == ENCODING_UTF8) {
        if (ConsoleWriteSlot)
            ConsoleWriteSlot(text);
        return;
    }
    char* converted = ToUtf8(text);
    if (converted && ConsoleWriteSlot)
        ConsoleWriteSlot(converted);
    MemFree(converted);
}
