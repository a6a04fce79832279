# The stand-in host, the tagwright tool and one Windows test program, cross-built for the same
# Windows target as the plug-in (32-bit or 64-bit) so that the tests load Tagwright.dll with
# LoadLibrary and cross the same ABI as a real installation. They link the ICU built for Windows by scripts/build-icu-windows
# (TAGWRIGHT_WINDOWS_ICU: the folder holding bin/icuuc<NN>.dll and bin/icudt<NN>.dll) and lay out a host installation in ${CMAKE_BINARY_DIR}/install:
#   install/tagwright.exe, Tagwright.dll, icuuc<NN>.dll, icudt<NN>.dll, icu_data/icudt<NN>l/*.cnv
# The test program itself lives in ${CMAKE_BINARY_DIR}/tests, a folder without ICU, so that
# each test decides which ICU its copy of the plug-in finds.

if(NOT EXISTS "${TAGWRIGHT_WINDOWS_ICU}/done")
  message(FATAL_ERROR "TAGWRIGHT_WINDOWS_ICU (${TAGWRIGHT_WINDOWS_ICU}) holds no ICU built for Windows: "
                      "run scripts/build-icu-windows and pass its folder")
endif()
file(READ "${TAGWRIGHT_WINDOWS_ICU}/major" icu_major)
string(STRIP "${icu_major}" icu_major)

# The host side compiles against the same ICU headers with ICU's own version suffix and links
# the ICU built for Windows (the linker reads the DLL's exports itself). GCC 12's -Wrestrict
# misfires on libstdc++'s string code for this target, so it is off for the host side.
add_library(tw_windows_icu INTERFACE)
target_include_directories(tw_windows_icu INTERFACE ${CMAKE_BINARY_DIR}/icu/include)
target_link_libraries(tw_windows_icu INTERFACE ${TAGWRIGHT_WINDOWS_ICU}/bin/icuuc${icu_major}.dll)
target_compile_options(tw_windows_icu INTERFACE -Wno-restrict)

# The Windows programs run under Wine, which shows this machine's files as drive Z:. The paths
# compiled into them are given in that form: a path starting with "/" would be taken on
# whatever drive is current (the tests work in the temporary folder on C:).
function(tw_wine_path out path)
  set(${out} "Z:${path}" PARENT_SCOPE) # Windows takes "/" as a separator too
endfunction()

set(install_dir ${CMAKE_BINARY_DIR}/install)
set(tests_dir ${CMAKE_BINARY_DIR}/tests)
file(MAKE_DIRECTORY ${install_dir} ${tests_dir})

# Programs: no compiler runtime DLLs, a console subsystem, and the calling convention the
# boundary header asks for.
set(windows_program_options -static -static-libgcc -static-libstdc++)

file(GLOB_RECURSE host_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/host/*.cpp)
add_library(tw_host STATIC ${host_sources})
target_link_libraries(tw_host PUBLIC tw_windows_icu)
tw_wine_path(wine_install_dir ${install_dir})
target_compile_definitions(tw_host PUBLIC
  TAGWRIGHT_DEFAULT_HOST_DIR="${wine_install_dir}"
  TAGWRIGHT_PLUGIN_PATH="${wine_install_dir}/Tagwright.dll")

find_path(TAGWRIGHT_CLI11_INCLUDE CLI/CLI.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
# Only the CLI folder of the build machine's headers: its other system headers stay out.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/cli11/include)
file(CREATE_LINK ${TAGWRIGHT_CLI11_INCLUDE}/CLI ${CMAKE_BINARY_DIR}/cli11/include/CLI SYMBOLIC)
file(GLOB cli_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/cli/*.cpp)
list(REMOVE_ITEM cli_sources ${CMAKE_SOURCE_DIR}/cli/main.cpp)
add_library(tw_cli STATIC ${cli_sources})
target_link_libraries(tw_cli PUBLIC tw_host)
target_include_directories(tw_cli PUBLIC ${CMAKE_BINARY_DIR}/cli11/include)
target_compile_definitions(tw_cli PUBLIC TAGWRIGHT_VERSION="${PROJECT_VERSION}") # as cli/CMakeLists.txt

add_executable(tagwright ${CMAKE_SOURCE_DIR}/cli/main.cpp)
target_link_libraries(tagwright PRIVATE tw_cli)
target_link_options(tagwright PRIVATE ${windows_program_options})
set_target_properties(tagwright PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${install_dir})

# The host installation: the plug-in, the host's ICU and its converter folder.
set(icu_package icudt${icu_major}l)
set(frameroman_cnv ${install_dir}/icu_data/${icu_package}/adobe-fm-roman-windows.cnv)
find_program(TAGWRIGHT_MAKECONV makeconv PATHS /usr/bin NO_CMAKE_FIND_ROOT_PATH REQUIRED)
add_custom_command(
  OUTPUT ${frameroman_cnv} ${install_dir}/icuuc${icu_major}.dll ${install_dir}/icudt${icu_major}.dll
  COMMAND ${CMAKE_COMMAND} -E make_directory ${install_dir}/icu_data/${icu_package} ${CMAKE_BINARY_DIR}/ucm
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/support/frameroman.ucm
          ${CMAKE_BINARY_DIR}/ucm/adobe-fm-roman-windows.ucm
  COMMAND ${TAGWRIGHT_MAKECONV} -d ${install_dir}/icu_data/${icu_package} ${CMAKE_BINARY_DIR}/ucm/adobe-fm-roman-windows.ucm
  COMMAND ${CMAKE_COMMAND} -E copy ${TAGWRIGHT_WINDOWS_ICU}/bin/icuuc${icu_major}.dll
          ${TAGWRIGHT_WINDOWS_ICU}/bin/icudt${icu_major}.dll ${install_dir}
  DEPENDS ${CMAKE_SOURCE_DIR}/support/frameroman.ucm
  COMMENT "Laying out the host installation in ${install_dir}"
  VERBATIM)
add_custom_target(tw_windows_install ALL
  DEPENDS ${frameroman_cnv}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Tagwright> ${install_dir}/Tagwright.dll
  VERBATIM)
add_dependencies(tw_windows_install Tagwright)
add_dependencies(tagwright tw_windows_install)

# GoogleTest from Debian's source package, built with the cross compiler.
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# A second ICU common library for the binding tests: another version's name and suffix
# (icuuc58.dll exporting ucnv_open_58 ...), each name forwarded to the real library.
set(icu_functions u_getDataDirectory u_setDataDirectory u_strlen ucnv_close ucnv_fromUChars ucnv_open
    ucnv_setFallback ucnv_setToUCallBack ucnv_toUChars UCNV_TO_U_CALLBACK_ESCAPE)
set(forward_def "LIBRARY icuuc58.dll\nEXPORTS\n")
set(plain_def "LIBRARY icuuc.dll\nEXPORTS\n")
foreach(f ${icu_functions})
  string(APPEND forward_def "  ${f}_58 = icuuc${icu_major}.${f}_${icu_major}\n")
  string(APPEND plain_def "  ${f} = icuuc${icu_major}.${f}_${icu_major}\n")
endforeach()
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/icu/icuuc58.def CONTENT "${forward_def}")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/icu/icuuc.def CONTENT "${plain_def}")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/icu/forward.c CONTENT "/* Exports only forwarders. */\n")
foreach(name icuuc58 icuuc)
  add_library(tw_${name} SHARED ${CMAKE_BINARY_DIR}/icu/forward.c ${CMAKE_BINARY_DIR}/icu/${name}.def)
  set_target_properties(tw_${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name}
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/icu-other RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/icu-other)
  target_link_options(tw_${name} PRIVATE -static-libgcc -s)
endforeach()

# The one Windows test program: the end-to-end tests, the tool's tests (the tool's own entry
# called in-process), the ICU binding tests and the comparison with the Linux tool's outputs.
file(GLOB e2e_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
# The MIF case files are checked on Linux, where this test makes its folders with mkdtemp.
list(REMOVE_ITEM e2e_tests ${CMAKE_SOURCE_DIR}/tests/e2e/mif_cases_test.cpp)
# The tool's tests that drive it alone; those that hand its output to python3 or a browser need
# this machine's programs, which a Windows process cannot start.
file(GLOB cli_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/cli/*.cpp)
# Those that change permissions, ownership and links, or run the tool on a terminal, are about
# POSIX systems; the sweep of exact edits over every MIF file at hand starts the tool many times
# and is run on Linux.
list(REMOVE_ITEM cli_tests ${CMAKE_SOURCE_DIR}/tests/cli/cli_safety_test.cpp ${CMAKE_SOURCE_DIR}/tests/cli/cli_stats_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/cli/cli_output_test.cpp ${CMAKE_SOURCE_DIR}/tests/cli/bad_input_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/cli/concurrent_edit_test.cpp ${CMAKE_SOURCE_DIR}/tests/cli/backup_output_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/cli/cli_exact_edits_test.cpp)
file(GLOB windows_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/windows/*.cpp)
add_library(tw_tool_entry OBJECT ${CMAKE_SOURCE_DIR}/cli/main.cpp)
target_link_libraries(tw_tool_entry PRIVATE tw_cli)
target_compile_definitions(tw_tool_entry PRIVATE main=TagwrightMain)
add_executable(windows_tests ${e2e_tests} ${cli_tests} ${windows_tests} $<TARGET_OBJECTS:tw_tool_entry>)
target_link_libraries(windows_tests PRIVATE tw_cli gtest_main gmock)
target_link_options(windows_tests PRIVATE ${windows_program_options})
tw_wine_path(wine_source_dir ${CMAKE_SOURCE_DIR})
tw_wine_path(wine_other_icu ${CMAKE_BINARY_DIR}/icu-other)
tw_wine_path(wine_linux_outputs ${CMAKE_BINARY_DIR}/linux-outputs)
get_filename_component(samples_dir ${CMAKE_SOURCE_DIR}/../shared/mif-samples ABSOLUTE)
tw_wine_path(wine_samples_dir ${samples_dir})
target_compile_definitions(windows_tests PRIVATE
  TAGWRIGHT_TOOL_IN_PROCESS=1
  TAGWRIGHT_TOOL="${wine_install_dir}/tagwright.exe"
  TAGWRIGHT_SOURCE_DIR="${wine_source_dir}"
  TAGWRIGHT_ICU_MAJOR=${icu_major}
  TAGWRIGHT_OTHER_ICU_DIR="${wine_other_icu}"
  TAGWRIGHT_LINUX_OUTPUTS="${wine_linux_outputs}"
  TAGWRIGHT_SAMPLES_DIR="${wine_samples_dir}")
set_target_properties(windows_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${tests_dir})
add_dependencies(windows_tests tw_windows_install tw_icuuc58 tw_icuuc)
