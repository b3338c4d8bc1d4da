# `cmake --install` into a scratch folder (DESTDIR, so that nothing lands in the home folder),
# then the installed Orvalis.clap must be where hosts look and export its entry (and, with
# ONLY_THE_ENTRY, nothing else).
#   cmake -DBUILD_DIR=... -DCLAP_DIR=... -DNM=... -DONLY_THE_ENTRY=ON -P clap_install_check.cmake
set(stage ${BUILD_DIR}/clap-install-check)
include(${CMAKE_CURRENT_LIST_DIR}/staged_install.cmake)
staged_folder(clap_root ${CLAP_DIR})
set(file ${clap_root}/Orvalis.clap)
if(NOT EXISTS ${file})
  message(FATAL_ERROR "not installed: ${file}")
endif()
execute_process(COMMAND ${NM} -D --defined-only ${file} OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
string(REGEX REPLACE "[0-9a-f]+ [A-Za-z] " "" names "${symbols}")
string(STRIP "${names}" names)
if(NOT result EQUAL 0 OR NOT names MATCHES "(^|\n)clap_entry(\n|$)" OR
   (ONLY_THE_ENTRY AND NOT names STREQUAL "clap_entry"))
  message(FATAL_ERROR "the installed file must export clap_entry only, it exports:\n${names}")
endif()
message(STATUS "installed ${file}")
file(REMOVE_RECURSE ${stage})
