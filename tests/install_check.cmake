# `cmake --install` into a scratch folder (DESTDIR, so that nothing lands in the home folder
# whatever the install folders are): lv2ls over what was installed must list Orvalis, the
# installed renderer must find the installed plug-in, and scripts/uninstall must then remove
# every file the install made, leaving no folder of ours.
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DVST_DIR=... -DLV2_DIR=... -DBIN_DIR=...
#         -DPRESETS_DIR=... -DLV2LS=... -P install_check.cmake
set(stage ${BUILD_DIR}/install-check)
include(${CMAKE_CURRENT_LIST_DIR}/staged_install.cmake)

foreach(kind VST LV2 BIN PRESETS)
  staged_folder(${kind}_ROOT ${${kind}_DIR})
endforeach()
foreach(file ${VST_ROOT}/Orvalis.so ${LV2_ROOT}/Orvalis.lv2/manifest.ttl ${LV2_ROOT}/Orvalis.lv2/orvalis.ttl
             ${LV2_ROOT}/Orvalis.lv2/presets.ttl ${LV2_ROOT}/Orvalis.lv2/orvalis_dsp.so
             ${LV2_ROOT}/Orvalis.lv2/orvalis_ui.so ${BIN_ROOT}/orvalis-render
             "${PRESETS_ROOT}/Orvalis Factory.fxb" "${PRESETS_ROOT}/Ensemble/048 String Section.fxp")
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

execute_process(COMMAND ${CMAKE_COMMAND} -E env LV2_PATH=${LV2_ROOT} ${LV2LS}
  OUTPUT_VARIABLE listed RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT listed MATCHES "urn:orvalis:instrument")
  message(FATAL_ERROR "lv2ls does not list Orvalis after install:\n${listed}")
endif()
message(STATUS "lv2ls: ${listed}")

# Installed under one prefix, the renderer finds the plug-in in lib/vst beside its bin/.
if(NOT IS_ABSOLUTE ${BIN_DIR} AND VST_DIR STREQUAL "lib/vst")
  execute_process(COMMAND ${BIN_ROOT}/orvalis-render --list-programs
    OUTPUT_VARIABLE programs ERROR_VARIABLE programs RESULT_VARIABLE result)
  if(NOT result EQUAL 0 OR NOT programs MATCHES "3  Saloon Piano")
    message(FATAL_ERROR "the installed renderer does not play the installed plug-in:\n${programs}")
  endif()
endif()

# The install's own list of what it wrote, as `make install` keeps it; the list leaves DESTDIR out.
file(STRINGS ${BUILD_DIR}/install_manifest.txt installed)
list(TRANSFORM installed PREPEND ${stage})
list(JOIN installed "\n" installed)
file(WRITE ${stage}/installed-files.txt "${installed}\n")
execute_process(COMMAND ${SOURCE_DIR}/scripts/uninstall ${stage}/installed-files.txt
  OUTPUT_VARIABLE said RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "uninstall failed: ${said}")
endif()
file(GLOB_RECURSE left LIST_DIRECTORIES true RELATIVE ${stage} ${stage}/*)
# Only the folders around ours (lib/vst, bin, share) may remain, and they are empty.
foreach(entry ${left})
  if(NOT IS_DIRECTORY ${stage}/${entry} OR entry MATCHES "share/orvalis|Orvalis.lv2")
    message(FATAL_ERROR "left after uninstall: ${entry}")
  endif()
endforeach()
file(REMOVE_RECURSE ${stage})
