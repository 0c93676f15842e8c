# Cross build of the 64-bit Windows program with Debian's MinGW-w64
# (g++-mingw-w64-x86-64), for Windows that runs no 32-bit programs. Tests
# run under Wine's 64-bit loader where it is installed.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(LOCALE_REPORT_MINGW_TARGET x86_64-w64-mingw32)
set(LOCALE_REPORT_WINE wine64)
set(LOCALE_REPORT_WINE_PACKAGES "wine64")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
