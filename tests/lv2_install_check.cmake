# `cmake --install` into a scratch folder (DESTDIR, so that nothing lands in the home folder
# whatever the install folders are), then lv2ls over what was installed must list Orvalis.
#   cmake -DBUILD_DIR=... -DVST_DIR=... -DLV2_DIR=... -DLV2LS=... -P lv2_install_check.cmake
set(stage ${BUILD_DIR}/install-check)
set(prefix /opt/orvalis)
file(REMOVE_RECURSE ${stage})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${stage} ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
  RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "install failed: ${result}")
endif()

foreach(kind VST LV2)
  if(IS_ABSOLUTE ${${kind}_DIR})
    set(${kind}_ROOT ${stage}${${kind}_DIR})
  else()
    set(${kind}_ROOT ${stage}${prefix}/${${kind}_DIR})
  endif()
endforeach()
foreach(file ${VST_ROOT}/Orvalis.so ${LV2_ROOT}/Orvalis.lv2/manifest.ttl ${LV2_ROOT}/Orvalis.lv2/orvalis.ttl
             ${LV2_ROOT}/Orvalis.lv2/presets.ttl ${LV2_ROOT}/Orvalis.lv2/orvalis_dsp.so
             ${LV2_ROOT}/Orvalis.lv2/orvalis_ui.so)
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
file(REMOVE_RECURSE ${stage})
