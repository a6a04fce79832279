/* netlib.h - the host-side NetLib calls that tell network locations from local paths and
 * resolve a relative path against a network base. Where NetLib is absent, the stand-in
 * in netlib.cpp treats every path as local. */
#ifndef TAGWRIGHT_PLATFORM_NETLIB_H
#define TAGWRIGHT_PLATFORM_NETLIB_H

#include <stdint.h>

/* 0 when the text names a network location (URL); any other value for a local path. */
int32_t NetLibIsNetFile(const char* path);

/* 0 on success, storing a NetLib-allocated absolute location in *result (release it with
 * NetLibFree); non-zero on failure, *result left null. */
int32_t NetLibGetAbsoluteURL(const char* base, const char* relative, char** result);

/* Releases a pointer NetLib returned; null is ignored. */
void NetLibFree(void* pointer);

#endif
