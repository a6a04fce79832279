/* path.h - file paths given by the host: a normalised path record (variables expanded,
 * joined to a base, separators collapsed, "." and ".." resolved, never splitting a
 * double-byte or UTF-8 character) and the file name shown for a document. */
#ifndef TAGWRIGHT_SUPPORT_PATH_H
#define TAGWRIGHT_SUPPORT_PATH_H

#include <stdint.h>

#define PATH_RECORD_TAG 0x70617468u /* 'path' */
#define PATH_FLAG_PLATFORM 0x10     /* the text is a platform path */

enum {
    PATH_BUFFER_SIZE = 4096, /* working buffers: at most 4095 bytes of path */
    PATH_NAME_SIZE = 1023,   /* a file name taken out of a path: at most 1022 bytes */
    PATH_KIND_PLATFORM = 0,
    PATH_KIND_DEVICE_INDEPENDENT = 1,
    PATH_KIND_NONE = 3
};

typedef struct PathRecord {
    uint32_t tag;   /* PATH_RECORD_TAG */
    uint16_t flags; /* PATH_FLAG_PLATFORM */
    char* text;     /* owned, normalised path */
} PathRecord;

/* New record for text normalised against base (may be null); null for a null or empty text,
 * kind 1 or 3, or a path that normalises to empty. Kinds 2 and 4 act as 0; a kind above 4
 * ends in FatalError. Release with PathRecordFree. */
PathRecord* PathFromText(const char* text, const PathRecord* base, int32_t kind);
/* Releases the record and its text; null is ignored. */
void PathRecordFree(PathRecord* record);
/* New text (MemFree) with the last component of the record's path; null for a null record. */
char* PathFileName(const PathRecord* record);
/* 1 unless NetLib reports a network location; null counts as plain. */
int32_t PathIsPlain(const char* text);
/* 1 if text starts with "dctm://", else 0. */
int32_t PathIsRepository(const char* text);
/* Normalises data (a PATH_BUFFER_SIZE buffer) in place against base (may be null or empty). */
void PathNormalize(char* data, const char* base);
/* Expands $NAME references and drops a leading "~", in place (PATH_BUFFER_SIZE buffer). */
void PathExpandVariables(char* data);
/* Appends part with one "\\" between unless buffer already ends with a separator; returns
 * the new length. */
int32_t PathJoin(char* buffer, const char* part, int32_t size);
/* Pointer just after the last "\\", "/" or ":" of text (by characters), or text itself. */
const char* PathFileNamePart(const char* text);
/* Decodes %XX escapes (except %00) and turns "/" into "\\", in place: the file name of a
 * network location. */
void PathUnescapeName(char* text);

#endif
