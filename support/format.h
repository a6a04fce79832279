/* format.h - the plug-in's printf-style formatter: it splits a format into literal stretches
 * and conversions and hands each piece to a sink; sinks for a caller's buffer and for the
 * host console (reached through the write slot of support/console.h). */
#ifndef TAGWRIGHT_SUPPORT_FORMAT_H
#define TAGWRIGHT_SUPPORT_FORMAT_H

#include <stdarg.h>
#include <stdint.h>

/* Receives length bytes (it also stops at a NUL); returns the number of bytes it accepted. */
typedef int32_t (*FormatSink)(void* context, const char* bytes, int32_t length);

/* Formats with the conversions "dioxXucsfeEgGp%nC" and star widths; returns the sum of the
 * sink results. Integer conversions take a 32-bit int whatever their length modifier; "C"
 * prints the first UTF-8 character of a text under UTF-8 and nothing otherwise. */
int32_t FormatEngine(FormatSink sink, void* context, const char* format, va_list args);

/* Formats into buffer (the caller guarantees room) and terminates it; returns the bytes
 * written, terminator not counted. Null buffer: 0. */
int32_t FormatToBuffer(char* buffer, const char* format, ...);

/* Formats and writes to the host console piece by piece; returns the sum of byte counts. */
int32_t ConsoleReport(const char* format, ...);

/* Writes one text to the host console (support/console.h), converted to UTF-8 unless UTF-8
 * is current. */
void ConsolePrint(const char* text);

#endif
