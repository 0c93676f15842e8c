# Cross build of the Linux program for aarch64 (arm64) with Debian's
# g++-aarch64-linux-gnu. Tests run under qemu-aarch64-static with the
# system's own arm64 C library, libpam and pam_env (Debian's multiarch
# packages), where that loader runs here: the cross C library's loader beside
# the system's arm64 libraries would mix two builds of the C library.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(LOCALE_REPORT_SYSROOT /usr/aarch64-linux-gnu)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH ${LOCALE_REPORT_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Debian's name for the architecture, for the package.
set(LOCALE_REPORT_DEB_ARCHITECTURE arm64)

# The loader is asked to start the arm64 dynamic loader; where it cannot, the
# tests say why they are skipped.
find_program(QEMU_AARCH64 qemu-aarch64-static)
if(NOT QEMU_AARCH64)
  set(LOCALE_REPORT_EMULATOR_ERROR "qemu-aarch64-static (Debian: qemu-user-static) is not installed")
elseif(NOT EXISTS /lib/aarch64-linux-gnu/security/pam_env.so OR NOT EXISTS /lib/aarch64-linux-gnu/libstdc++.so.6)
  set(LOCALE_REPORT_EMULATOR_ERROR
    "the arm64 libpam, pam_env and C++ library are not installed (Debian, after dpkg --add-architecture arm64: libpam-modules:arm64 libstdc++6:arm64)")
else()
  execute_process(COMMAND ${QEMU_AARCH64} -L / /lib/ld-linux-aarch64.so.1 --version
    RESULT_VARIABLE qemu_status OUTPUT_QUIET
    ERROR_VARIABLE LOCALE_REPORT_EMULATOR_ERROR ERROR_STRIP_TRAILING_WHITESPACE)
  if(qemu_status EQUAL 0)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${QEMU_AARCH64} -L /)
  elseif(NOT LOCALE_REPORT_EMULATOR_ERROR)
    set(LOCALE_REPORT_EMULATOR_ERROR "exit status ${qemu_status}")
  endif()
endif()
