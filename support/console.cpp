/* console.cpp - the console write slot, empty until the entry fills it. */
#include "support/console.h"

#include <stddef.h>

int32_t (*ConsoleWriteSlot)(const char* text) = NULL;
