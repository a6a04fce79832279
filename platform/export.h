/* export.h - how the plug-in library marks its one exported function: visible from the shared
 * object elsewhere, exported from the DLL on Windows (where __stdcall decorates the name). */
#ifndef TAGWRIGHT_PLATFORM_EXPORT_H
#define TAGWRIGHT_PLATFORM_EXPORT_H

#if defined(_WIN32)
#define TW_EXPORT __declspec(dllexport)
#else
#define TW_EXPORT __attribute__((visibility("default")))
#endif

#endif
