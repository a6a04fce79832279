/* fatal.cpp - raises the structured exception: RaiseException on Windows, and elsewhere a
 * stand-in that abandons the operation by reporting the code on stderr and aborting. */
#include "platform/fatal.h"

#if defined(_WIN32)
#include <windows.h>

void RaiseStructuredException(uint32_t code) { RaiseException(code, 0, 0, NULL); }

#else
#include <stdio.h>
#include <stdlib.h>

void RaiseStructuredException(uint32_t code)
{
    fprintf(stderr, "Tagwright: structured exception 0x%08X raised; operation abandoned\n", (unsigned)code);
    fflush(stderr);
    abort();
}

#endif
