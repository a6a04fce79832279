/* console.h - the host console as the support layer reaches it: one write slot, which the
 * client's entry fills once it is connected (with the bridge's PrintToConsole). While it is
 * empty nothing is written. Formatted printing to it is format.h's. */
#ifndef TAGWRIGHT_SUPPORT_CONSOLE_H
#define TAGWRIGHT_SUPPORT_CONSOLE_H

#include <stdint.h>

/* Writes one text to the host console as it is (no conversion). */
extern int32_t (*ConsoleWriteSlot)(const char* text);

#endif
