# tagwright_part.cmake - how each folder of the plug-in is built, and what it may call.
#
#   tagwright_part(NAME <part> [BELOW <part>...] [SOURCES <file>...] [LIBRARIES <lib>...])
#
# makes tw_<part>: an OBJECT library of SOURCES (the folder's *.cpp files when not given)
# compiled with the plug-in's options, or an INTERFACE library when there is nothing to compile
# (a part of headers only). BELOW names every part beneath this one, each declared before it;
# LIBRARIES the outside libraries its code calls. Unless the build is for the fuzzer (whose
# sanitizer runtime only the loading program holds), the part's objects are also linked alone
# with exactly the parts below it into tw_<part>_link_check, a shared library that may leave no
# symbol undefined: a call from a part into one above it fails to link there, not only at the
# include check (scripts/check-layers).

# The plug-in's own compile options: no exported symbol but the entry (platform/exports.map),
# and no exceptions or run-time type information across the boundary.
set(TAGWRIGHT_PLUGIN_FLAGS -fvisibility=hidden -fvisibility-inlines-hidden -fno-exceptions -fno-rtti)

function(tagwright_part)
  cmake_parse_arguments(PARSE_ARGV 0 part "" "NAME" "BELOW;SOURCES;LIBRARIES")
  if(NOT part_NAME OR part_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "tagwright_part(NAME <part> [BELOW ...] [SOURCES ...] [LIBRARIES ...]): ${ARGV}")
  endif()
  set(target tw_${part_NAME})

  # The parts below must be declared already and be all of the parts beneath them too, so that
  # every part's list reads as the whole of what it stands on.
  foreach(below ${part_BELOW})
    if(NOT TARGET tw_${below})
      message(FATAL_ERROR "${part_NAME} stands on ${below}, which is not a part declared before it")
    endif()
    get_target_property(beneath tw_${below} TAGWRIGHT_BELOW)
    foreach(b ${beneath})
      if(NOT b IN_LIST part_BELOW)
        message(FATAL_ERROR "${part_NAME} stands on ${below}, which stands on ${b}: name ${b} below ${part_NAME} too")
      endif()
    endforeach()
  endforeach()
  list(TRANSFORM part_BELOW PREPEND tw_ OUTPUT_VARIABLE below_targets)

  if(NOT DEFINED part_SOURCES)
    file(GLOB part_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  if(NOT part_SOURCES)
    add_library(${target} INTERFACE)
    target_link_libraries(${target} INTERFACE ${below_targets} ${part_LIBRARIES})
    set_target_properties(${target} PROPERTIES TAGWRIGHT_BELOW "${part_BELOW}")
    return()
  endif()
  add_library(${target} OBJECT ${part_SOURCES})
  target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${TAGWRIGHT_PLUGIN_FLAGS}>") # not the .rc
  target_link_libraries(${target} PUBLIC ${below_targets} ${part_LIBRARIES})
  set_target_properties(${target} PROPERTIES TAGWRIGHT_BELOW "${part_BELOW}")

  if(NOT TAGWRIGHT_FUZZ)
    # An object library adds its objects only where it is linked directly: each part below is.
    add_library(${target}_link_check SHARED)
    target_link_libraries(${target}_link_check PRIVATE ${target} ${below_targets})
    target_link_options(${target}_link_check PRIVATE -Wl,--no-undefined)
    set_target_properties(${target}_link_check PROPERTIES LINKER_LANGUAGE CXX) # the .rc alone has none
  endif()
endfunction()
