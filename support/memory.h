/* memory.h - heap allocation for the plug-in: the flagged Mem* set whose fatal flag turns an
 * exhausted heap into FatalError, the plain Bridge* set used by the host bridge, and the
 * replaceable fatal-error handler. All of it sits on the runtime's malloc/calloc/realloc/free. */
#ifndef TAGWRIGHT_SUPPORT_MEMORY_H
#define TAGWRIGHT_SUPPORT_MEMORY_H

#include <stddef.h>
#include <stdint.h>

/* The number of elements of an array (never of a pointer). */
#define COUNT_OF(a) (sizeof(a) / sizeof((a)[0]))

/* Allocation flags: with MEM_FATAL_ON_FAILURE set a failed allocation ends in FatalError. */
enum { MEM_FATAL_ON_FAILURE = 1 };

/* Blocks are owned by the caller and released with MemFree. */
void* MemAlloc(size_t size, uint32_t flags);
void* MemAllocZeroed(size_t count, size_t size, uint32_t flags);
/* On failure without the fatal flag returns null; the old block stays valid and owned. */
void* MemRealloc(void* block, size_t size, uint32_t flags);
/* Releases a non-null block; always returns null (block = MemFree(block)). */
void* MemFree(void* block);
/* Null block -> 1 and nothing written; else zero-fills length bytes and returns 0. */
int32_t MemZero(void* block, size_t length);
/* Room for n characters plus the terminator, zero-filled; null on failure. */
char* StrAlloc(size_t n);

/* Fatal-error handling. FatalError calls the installed handler when it is not the default
 * one, then raises the structured exception with code 1. Nothing in the plug-in catches it.
 * Where the platform lets a raise be continued (Windows), FatalError can return, so its
 * callers still leave their data consistent afterwards. */
typedef void (*FatalHandler)(void);
void FatalError(void);
void FatalDefaultHandler(void);
/* Installs a handler (null restores the default); returns the previous one. */
FatalHandler SetFatalHandler(FatalHandler handler);

/* Out-of-memory hook called before FatalError on a fatal allocation failure; empty in the
 * plug-in. */
typedef void (*OutOfMemoryHook)(size_t size);
extern OutOfMemoryHook MemOutOfMemoryHook;

/* The host bridge's plain allocation set: no flags, no fatal path; null on failure. */
void* BridgeAlloc(size_t size);
void* BridgeAllocZeroed(size_t count, size_t size);
void* BridgeRealloc(void* block, size_t size);
void* BridgeFree(void* block); /* null-safe; returns null */

#endif
