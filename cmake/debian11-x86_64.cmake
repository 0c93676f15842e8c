# The x86_64 Linux downloads (see debian11-sysroot.cmake). They run here as
# they are, so the tests run them natively.
set(LOCALE_REPORT_DEBIAN_ARCH amd64)
set(LOCALE_REPORT_TRIPLET x86_64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/debian11-sysroot.cmake)
