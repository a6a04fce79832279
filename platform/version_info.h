/* version_info.h - the library's version resource laid out as one block, the form that
 * GetFileVersionInfoA hands out and VerQueryValueA reads (see version_info.cpp). */
#ifndef TAGWRIGHT_PLATFORM_VERSION_INFO_H
#define TAGWRIGHT_PLATFORM_VERSION_INFO_H

#include <stdint.h>

#if !defined(_WIN32)
/* The block built from the version table (built once, then constant); its size in *size. */
const uint8_t* VersionResourceBlock(uint32_t* size);
#endif

#endif
