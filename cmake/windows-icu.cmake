# ICU for the 32-bit Windows plug-in: the host ships its own ICU common library, and the
# plug-in binds to it at load time. There is no ICU built for MinGW here, so the plug-in is
# compiled against the build machine's ICU headers (the unicode folder alone, never the rest
# of its system headers) with the host ICU's function-name suffix, and linked against an
# import library made with dlltool for exactly the functions it calls. A call missing from
# the list below fails the link.

set(TAGWRIGHT_ICU_DLL "icuuc51.dll" CACHE STRING
  "The host's ICU common library that Tagwright.dll imports its ICU functions from")
set(TAGWRIGHT_ICU_SUFFIX "_51" CACHE STRING
  "The version suffix of the host ICU's exported function names (ucnv_open_51)")
set(TAGWRIGHT_ICU_HEADERS "/usr/include/unicode" CACHE PATH
  "ICU's C headers (the folder that holds ucnv.h) to compile the plug-in against")

find_program(TAGWRIGHT_DLLTOOL ${TAGWRIGHT_MINGW_TRIPLET}-dlltool REQUIRED)
if(NOT EXISTS ${TAGWRIGHT_ICU_HEADERS}/ucnv.h)
  message(FATAL_ERROR "No ICU headers in ${TAGWRIGHT_ICU_HEADERS} (install libicu-dev)")
endif()

# The ICU functions the plug-in calls (support/encoding.cpp), by their unversioned names.
set(tagwright_icu_functions
  u_getDataDirectory
  u_setDataDirectory
  u_strlen
  ucnv_close
  ucnv_fromUChars
  ucnv_open
  ucnv_setFallback
  ucnv_setToUCallBack
  ucnv_toUChars
  UCNV_TO_U_CALLBACK_ESCAPE)

# An include directory holding only "unicode", so that the target's own C headers are the
# ones found for everything else.
set(icu_include ${CMAKE_BINARY_DIR}/icu/include)
file(MAKE_DIRECTORY ${icu_include})
file(CREATE_LINK ${TAGWRIGHT_ICU_HEADERS} ${icu_include}/unicode SYMBOLIC)

# The renaming header binds every ICU name to the host's suffix (ucnv_open -> ucnv_open_51);
# it is read before any ICU header, whose own suffix would otherwise be the build machine's.
set(icu_rename ${CMAKE_BINARY_DIR}/icu/tagwright_icu_suffix.h)
file(CONFIGURE OUTPUT ${icu_rename} CONTENT
"/* Generated: binds ICU's function names to the host ICU (${TAGWRIGHT_ICU_DLL}). */
#define U_ICU_ENTRY_POINT_RENAME(x) x##${TAGWRIGHT_ICU_SUFFIX}
")

set(icu_def_text "LIBRARY ${TAGWRIGHT_ICU_DLL}\nEXPORTS\n")
foreach(function ${tagwright_icu_functions})
  string(APPEND icu_def_text "  ${function}${TAGWRIGHT_ICU_SUFFIX}\n")
endforeach()
set(icu_def ${CMAKE_BINARY_DIR}/icu/host-icu.def)
file(CONFIGURE OUTPUT ${icu_def} CONTENT "${icu_def_text}")

set(icu_import_lib ${CMAKE_BINARY_DIR}/icu/libhost-icu.a)
add_custom_command(
  OUTPUT ${icu_import_lib}
  COMMAND ${TAGWRIGHT_DLLTOOL} --input-def ${icu_def} --dllname ${TAGWRIGHT_ICU_DLL}
          --output-lib ${icu_import_lib}
  DEPENDS ${icu_def}
  COMMENT "Making the import library for ${TAGWRIGHT_ICU_DLL}"
  VERBATIM)
add_custom_target(tw_icu_import DEPENDS ${icu_import_lib})

# The same name the Linux build gets from find_package(ICU), so the plug-in folders link
# ICU::uc either way.
add_library(ICU::uc INTERFACE IMPORTED)
set_target_properties(ICU::uc PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${icu_include}
  INTERFACE_COMPILE_OPTIONS "SHELL:-include ${icu_rename}"
  INTERFACE_LINK_LIBRARIES ${icu_import_lib})
