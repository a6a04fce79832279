/* module_path.h - which file the plug-in's own code was loaded from, so that the version and
 * resource services answer for that file (and module) only. */
#ifndef TAGWRIGHT_PLATFORM_MODULE_PATH_H
#define TAGWRIGHT_PLATFORM_MODULE_PATH_H

#include "platform/win32.h"

#if !defined(_WIN32)
/* 1 when path names the file that holds this code (compared by device and inode), else 0. */
int IsOwnModuleFile(const char* path);
/* 1 when the module handle (as GetModuleFileNameA reads it) is the one holding this code. */
int IsOwnModule(HMODULE module);
#endif

#endif
