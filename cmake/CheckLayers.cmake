# Fails the build when a source includes a header of a layer above its own, or when a
# core header or source includes Qt. Run by the build (target trelvix_layer_check) before
# any layer compiles, so an upward include stops `./x build` itself.
#
#   cmake -DSOURCE_DIR=<repo> -DLAYERS="platform;overlay;..." -DSTAMP=<file> -P CheckLayers.cmake
#
# A layer may include its own headers and those of every layer listed before it. Folders
# below a layer belong to it (src/platform/posix is platform), except the Qt backends in
# src/platform/qt, which belong to the skin. src/ui may include everything; the tools say
# in TOOL_RULES what they may use (the virtual radio's tests as well).

cmake_minimum_required(VERSION 3.25)
string(REPLACE "," ";" LAYERS "${LAYERS}")

# Tools and the layers they may include ("tool-folder=layer,layer").
set(TOOL_RULES
  "tools/radiosim=platform,overlay,image"  # the virtual radio shares no protocol code
  "tests/radiosim=platform,overlay,image"  # nor do its tests
  "tools/mkimage=platform,overlay,image,comm,values,sheets,app"
  "tools/clone=platform,overlay,image,comm,values,sheets,app")

set(errors "")

function(check_file file rel allowed qt_allowed)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
  set(n 0)
  foreach(line IN LISTS lines)
    if(line MATCHES "#[ \t]*include[ \t]*\"([A-Za-z_]+)/")
      set(target_layer "${CMAKE_MATCH_1}")
      if(target_layer STREQUAL "support" OR target_layer STREQUAL "ui")
        if(NOT "ui" IN_LIST allowed)
          list(APPEND errors "${rel}: includes ${target_layer}/, which it may not use (${line})")
        endif()
      elseif(NOT target_layer IN_LIST allowed AND NOT target_layer IN_LIST LAYER_NAMES)
        # Not a layer (a tool's own folder): nothing to check.
      elseif(NOT target_layer IN_LIST allowed)
        list(APPEND errors "${rel}: includes a header of layer '${target_layer}', above its own (${line})")
      endif()
    elseif(line MATCHES "#[ \t]*include[ \t]*<Q[A-Za-z]*[>/]" AND NOT qt_allowed)
      list(APPEND errors "${rel}: includes Qt outside the skin (${line})")
    endif()
  endforeach()
  set(errors "${errors}" PARENT_SCOPE)
endfunction()

set(LAYER_NAMES ${LAYERS})
set(allowed "")
foreach(layer IN LISTS LAYERS)
  list(APPEND allowed ${layer})
  file(GLOB_RECURSE files "${SOURCE_DIR}/src/${layer}/*.h" "${SOURCE_DIR}/src/${layer}/*.cpp")
  foreach(f IN LISTS files)
    file(RELATIVE_PATH rel "${SOURCE_DIR}" "${f}")
    if(rel MATCHES "^src/platform/qt/")
      continue()  # checked with the skin below
    endif()
    if(rel MATCHES "^src/platform/doubles/")
      check_file("${f}" "${rel}" "platform" FALSE)
    else()
      check_file("${f}" "${rel}" "${allowed}" FALSE)
    endif()
  endforeach()
endforeach()

# The Qt backends of the seams are part of the skin, but below the controllers.
file(GLOB_RECURSE files "${SOURCE_DIR}/src/platform/qt/*.h" "${SOURCE_DIR}/src/platform/qt/*.cpp")
foreach(f IN LISTS files)
  file(RELATIVE_PATH rel "${SOURCE_DIR}" "${f}")
  check_file("${f}" "${rel}" "platform" TRUE)
endforeach()

foreach(rule IN LISTS TOOL_RULES)
  string(REPLACE "=" ";" parts "${rule}")
  list(GET parts 0 dir)
  list(GET parts 1 uses)
  string(REPLACE "," ";" uses "${uses}")
  file(GLOB_RECURSE files "${SOURCE_DIR}/${dir}/*.h" "${SOURCE_DIR}/${dir}/*.cpp")
  foreach(f IN LISTS files)
    file(RELATIVE_PATH rel "${SOURCE_DIR}" "${f}")
    check_file("${f}" "${rel}" "${uses}" FALSE)
  endforeach()
endforeach()

if(errors)
  list(JOIN errors "\n  " text)
  message(FATAL_ERROR "Layer check failed (docs/architecture.md says which layer may use which):\n  ${text}")
endif()
file(WRITE "${STAMP}" "layers ok\n")
