/* fatal.h - the structured exception that ends an operation the plug-in cannot continue.
 * On Windows it is the system's RaiseException; elsewhere a stand-in that reports the
 * exception code on stderr and aborts the process, so the caller never sees a return. */
#ifndef TAGWRIGHT_PLATFORM_FATAL_H
#define TAGWRIGHT_PLATFORM_FATAL_H

#include <stdint.h>

/* Raises the structured exception with the given code, no flags and no parameters.
 * On Windows a host's handler may continue execution, so callers must not rely on
 * this never returning there; the stand-in used elsewhere never returns. */
void RaiseStructuredException(uint32_t code);

#endif
