/* export.h - how the plug-in library marks its one exported function: visible from the shared
 * object elsewhere; on Windows platform/Tagwright.def exports it under its decorated name. */
#ifndef TAGWRIGHT_PLATFORM_EXPORT_H
#define TAGWRIGHT_PLATFORM_EXPORT_H

#if defined(_WIN32)
/* Not dllexport: that would add a second export named without the leading underscore. */
#define TW_EXPORT
#else
#define TW_EXPORT __attribute__((visibility("default")))
#endif

#endif
