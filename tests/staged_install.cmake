# Included by the install checks, after they set stage: `cmake --install` of BUILD_DIR under the
# prefix /opt/orvalis into stage (DESTDIR, so that nothing lands in the home folder whatever the
# install folders are); staged_folder(variable folder) says where an install folder landed.
set(prefix /opt/orvalis)
file(REMOVE_RECURSE ${stage})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${stage} ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
  RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "install failed: ${result}")
endif()

function(staged_folder variable folder)
  if(IS_ABSOLUTE ${folder})
    set(${variable} ${stage}${folder} PARENT_SCOPE)
  else()
    set(${variable} ${stage}${prefix}/${folder} PARENT_SCOPE)
  endif()
endfunction()
