# The aarch64 Linux downloads (see debian11-sysroot.cmake), cross-built.
# Tests run under qemu-aarch64-static with the system's own arm64 C library,
# libpam and pam_env (Debian's multiarch packages), where that loader runs
# here.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(LOCALE_REPORT_DEBIAN_ARCH arm64)
set(LOCALE_REPORT_TRIPLET aarch64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/debian11-sysroot.cmake)

# The loader is asked to start the arm64 dynamic loader; where it cannot, the
# tests say why they are skipped.
find_program(QEMU_AARCH64 qemu-aarch64-static)
if(NOT QEMU_AARCH64)
  set(LOCALE_REPORT_EMULATOR_ERROR "qemu-aarch64-static (Debian: qemu-user-static) is not installed")
elseif(NOT EXISTS /lib/aarch64-linux-gnu/security/pam_env.so)
  set(LOCALE_REPORT_EMULATOR_ERROR
    "the arm64 libpam and pam_env are not installed (Debian, after dpkg --add-architecture arm64: libpam-modules:arm64)")
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
