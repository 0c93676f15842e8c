# The Linux downloads: built with clang against a sysroot of Debian 11's C
# library (glibc 2.31), of which they take no symbol newer than 2.17, so
# that they run on every glibc Linux still in use; libgcc and libstdc++ are
# linked in. tools/fetch-sysroot.sh makes the sysroot on the first configure,
# in build/sysroot/ of the source tree. The including toolchain file sets
# LOCALE_REPORT_DEBIAN_ARCH (amd64, arm64) and LOCALE_REPORT_TRIPLET.
get_filename_component(locale_report_source "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(LOCALE_REPORT_SYSROOT "${locale_report_source}/build/sysroot/debian11-${LOCALE_REPORT_DEBIAN_ARCH}")
execute_process(COMMAND bash "${locale_report_source}/tools/fetch-sysroot.sh"
    ${LOCALE_REPORT_DEBIAN_ARCH} "${LOCALE_REPORT_SYSROOT}"
  RESULT_VARIABLE fetched ERROR_VARIABLE fetch_error)
if(NOT fetched EQUAL 0)
  message(FATAL_ERROR "Debian 11's sysroot cannot be made: ${fetch_error}")
endif()

set(CMAKE_SYSROOT "${LOCALE_REPORT_SYSROOT}")
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${LOCALE_REPORT_TRIPLET})
set(CMAKE_CXX_COMPILER_TARGET ${LOCALE_REPORT_TRIPLET})
# Only the libraries the program takes a symbol of: the C++ driver names
# libm, which the program never calls, and each library more is one more
# to load and to search for every import at start.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -static-libgcc -static-libstdc++ -Wl,--as-needed")
# Libraries and headers from the sysroot alone; programs from this machine.
set(CMAKE_FIND_ROOT_PATH "${LOCALE_REPORT_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Debian's name for the architecture, for the package.
set(LOCALE_REPORT_DEB_ARCHITECTURE ${LOCALE_REPORT_DEBIAN_ARCH})
