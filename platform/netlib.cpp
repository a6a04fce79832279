/* netlib.cpp - stand-in for the host's NetLib where it is absent: no path is a network
 * location, so nothing is ever resolved against a network base. */
#include "platform/netlib.h"

#include <stdlib.h>

int32_t NetLibIsNetFile(const char* path)
{
    (void)path;
    return 1; /* every path is local */
}

int32_t NetLibGetAbsoluteURL(const char* base, const char* relative, char** result)
{
    (void)base;
    (void)relative;
    if (result)
        *result = NULL;
    return -1; /* no network locations to resolve against */
}

void NetLibFree(void* pointer) { free(pointer); }
