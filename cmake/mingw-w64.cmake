# What the two Windows toolchain files share: Debian's MinGW-w64 for
# LOCALE_REPORT_MINGW_TARGET, and the tests run under the Wine loader
# LOCALE_REPORT_WINE where it is installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${LOCALE_REPORT_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LOCALE_REPORT_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${LOCALE_REPORT_MINGW_TARGET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${LOCALE_REPORT_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian keeps its loaders in /usr/lib/wine, the 64-bit one off PATH; its
# /usr/bin/wine is a script that, where wine32 is missing, runs the 64-bit
# loader instead and says so. A loader that is installed may still not run
# here, as the 32-bit one cannot on a kernel without 32-bit support. One that
# fails or complains cannot run the tests, which then say why they are
# skipped.
find_program(WINE_PROGRAM ${LOCALE_REPORT_WINE} HINTS /usr/lib/wine)
if(WINE_PROGRAM)
  execute_process(COMMAND ${WINE_PROGRAM} --version RESULT_VARIABLE wine_status
    OUTPUT_QUIET ERROR_VARIABLE LOCALE_REPORT_WINE_ERROR ERROR_STRIP_TRAILING_WHITESPACE)
  if(wine_status EQUAL 0 AND LOCALE_REPORT_WINE_ERROR STREQUAL "")
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine-run.sh)
  elseif(LOCALE_REPORT_WINE_ERROR STREQUAL "")
    set(LOCALE_REPORT_WINE_ERROR "exit status ${wine_status}")
  endif()
endif()
