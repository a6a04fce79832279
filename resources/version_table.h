/* version_table.h - the library's version resource as data, for platforms where no resource
 * compiler embeds Tagwright.rc: the file version, the translation and the string table, all
 * taken from version.h. Header-only, so whatever serves it needs nothing else linked. */
#ifndef TAGWRIGHT_RESOURCES_VERSION_TABLE_H
#define TAGWRIGHT_RESOURCES_VERSION_TABLE_H

#include <stdint.h>

#include "resources/version.h"

typedef struct VersionString {
    const char* key;
    const char* value;
} VersionString;

typedef struct VersionTable {
    uint16_t fileVersion[4]; /* major, minor, patch, build */
    uint16_t language;
    uint16_t codePage;
    const char* block; /* the string table's name under \StringFileInfo, e.g. "040904b0" */
    const VersionString* strings;
    uint32_t stringCount;
} VersionTable;

/* The same strings as Tagwright.rc, in the same order. */
inline const VersionString TagwrightVersionStrings[] = {
    {"ClientName", TW_CLIENT_NAME},           {"ClientType", TW_CLIENT_TYPE},
    {"ClientProducts", TW_CLIENT_PRODUCTS},   {"FileDescription", TW_FILE_DESCRIPTION},
    {"FileVersion", TW_FILE_VERSION_TEXT},    {"ProductName", TW_PRODUCT_NAME},
    {"ProductVersion", TW_FILE_VERSION_TEXT}, {"OriginalFilename", TW_ORIGINAL_FILENAME},
};

inline const VersionTable TagwrightVersionTable = {
    {TW_VERSION_MAJOR, TW_VERSION_MINOR, TW_VERSION_PATCH, TW_VERSION_BUILD},
    TW_VERSION_LANGUAGE,
    TW_VERSION_CODEPAGE,
    TW_VERSION_BLOCK,
    TagwrightVersionStrings,
    sizeof(TagwrightVersionStrings) / sizeof(TagwrightVersionStrings[0]),
};

#endif
