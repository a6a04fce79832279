# ICU for the Windows plug-in (32-bit or 64-bit): the host ships its own ICU common library, whose name and
# version differ between installations, so the plug-in binds it at run time
# (platform/icu_library.cpp) and imports nothing from it at load time. It is compiled against
# the build machine's ICU headers (the unicode folder alone, never the rest of its system
# headers) with ICU's renaming off: the plug-in names each function itself.

set(TAGWRIGHT_ICU_HEADERS "/usr/include/unicode" CACHE PATH
  "ICU's C headers (the folder that holds ucnv.h) to compile the plug-in against")
if(NOT EXISTS ${TAGWRIGHT_ICU_HEADERS}/ucnv.h)
  message(FATAL_ERROR "No ICU headers in ${TAGWRIGHT_ICU_HEADERS} (install libicu-dev)")
endif()

# An include directory holding only "unicode", so that the target's own C headers are the
# ones found for everything else.
set(icu_include ${CMAKE_BINARY_DIR}/icu/include)
file(MAKE_DIRECTORY ${icu_include})
file(CREATE_LINK ${TAGWRIGHT_ICU_HEADERS} ${icu_include}/unicode SYMBOLIC)

# The same name the Linux build gets from find_package(ICU), so the plug-in folders use
# ICU::uc either way; here it carries the headers only.
add_library(ICU::uc INTERFACE IMPORTED)
set_target_properties(ICU::uc PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${icu_include}
  INTERFACE_COMPILE_DEFINITIONS "U_DISABLE_RENAMING=1")
