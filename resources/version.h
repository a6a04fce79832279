/* version.h - the library's version resource: file version and client description. This is
 * the one place the client description lives; Tagwright.rc and the version table both read it, so it
 * must stay plain preprocessor text that the resource compiler understands. */
#ifndef TAGWRIGHT_RESOURCES_VERSION_H
#define TAGWRIGHT_RESOURCES_VERSION_H

/* TW_VERSION_MAJOR, _MINOR, _PATCH, _BUILD and TW_FILE_VERSION_TEXT: written by the build from
 * the project version in the top CMakeLists.txt. */
#include "resources/version_numbers.h"

#define TW_VERSION_LANGUAGE 0x0409 /* U.S. English */
#define TW_VERSION_CODEPAGE 0x04b0 /* 1200, UTF-16 */
#define TW_VERSION_BLOCK "040904b0"

#define TW_CLIENT_NAME "Tagwright"
#define TW_CLIENT_TYPE "Standard"
#define TW_CLIENT_PRODUCTS "Maker MakerSGML"
#define TW_FILE_DESCRIPTION "Tagwright (Frame 2017)"
#define TW_PRODUCT_NAME "Tagwright"
#define TW_ORIGINAL_FILENAME "Tagwright.dll"

#endif
