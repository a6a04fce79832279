/* task_memory.cpp - COM task memory where COM is absent. Host and plug-in run in one process
 * on one C runtime, so a block either side allocates the other can release. */
#include "platform/win32.h"

#if !defined(_WIN32)

#include <stdlib.h>

void* CoTaskMemAlloc(size_t size) { return malloc(size); }

void CoTaskMemFree(void* block) { free(block); }

#endif
