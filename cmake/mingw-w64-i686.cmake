# Cross build of the 32-bit Windows program with Debian's MinGW-w64
# (g++-mingw-w64-i686). Tests run under Wine where it is installed.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(LOCALE_REPORT_MINGW_TARGET i686-w64-mingw32)
set(LOCALE_REPORT_WINE wine)
set(LOCALE_REPORT_WINE_PACKAGES "wine, wine32:i386")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
