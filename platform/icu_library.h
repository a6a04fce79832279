/* icu_library.h - the ICU common library's functions the encoding layer calls, as one table.
 * On Windows the table is bound at run time to the host's own ICU (icuuc<NN>.dll or icuuc.dll
 * in the host's installation directory, then in the plug-in's directory), so the plug-in loads
 * whatever ICU the host ships, or none; elsewhere it holds the system ICU the library links. */
#ifndef TAGWRIGHT_PLATFORM_ICU_LIBRARY_H
#define TAGWRIGHT_PLATFORM_ICU_LIBRARY_H

#include <stdint.h>
#include <unicode/putil.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/ustring.h>

typedef struct IcuLibrary {
    decltype(&u_getDataDirectory) getDataDirectory;
    decltype(&u_setDataDirectory) setDataDirectory;
    decltype(&u_strlen) strlen;
    decltype(&ucnv_close) close;
    decltype(&ucnv_fromUChars) fromUChars;
    decltype(&ucnv_open) open;
    decltype(&ucnv_setFallback) setFallback;
    decltype(&ucnv_setToUCallBack) setToUCallBack;
    decltype(&ucnv_toUChars) toUChars;
    UConverterToUCallback toUCallbackEscape; /* UCNV_TO_U_CALLBACK_ESCAPE */
} IcuLibrary;

/* The bound library, found on the first call; null when no usable ICU was found (then every
 * later call answers null too, without searching again). */
const IcuLibrary* IcuLibraryGet(void);

/* What the search looked for and where, for telling the user when nothing was found
 * ("icuuc<NN>.dll or icuuc.dll in <dir>; <dir>"); empty before the search and where the
 * library is linked. */
const char* IcuLibrarySought(void);

/* The file the table is bound to (empty where the library is linked or none was found). */
const char* IcuLibraryFile(void);

#endif
