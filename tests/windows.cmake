# Tests of the Windows program, 32-bit or 64-bit, run under Wine (the
# toolchain file names the loader and makes tests/wine-run.sh the emulator).
# Each test gets a throw-away Wine prefix of its own under the build tree.

# GoogleTest for the target, built from Debian's sources where they are, and
# where a Wine loader can run what is built with it.
set(googletest_source /usr/src/googletest)
if(CMAKE_CROSSCOMPILING_EMULATOR AND EXISTS ${googletest_source}/CMakeLists.txt)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  add_subdirectory(${googletest_source} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # Built as the tests' own code is: at -O3 it took 16 s of each build, at
  # -O1 or -O0 some 2 s.
  set_target_properties(gtest gtest_main PROPERTIES COMPILE_OPTIONS -O0)
  add_executable(unit_tests report_test.cc terminal_text_test.cc)
  set_target_properties(unit_tests PROPERTIES UNITY_BUILD ON)
  # The capture against stand-ins for the eight queries: a binary of its own,
  # since the stand-ins replace kernel32's for everything linked with them.
  add_executable(capture_test capture-win32_test.cc)
  foreach(test unit_tests capture_test)
    target_compile_options(${test} PRIVATE ${TEST_COMPILE_OPTIONS})
    target_link_libraries(${test} PRIVATE locale_report_core gtest_main)
    if(MINGW)
      target_link_options(${test} PRIVATE -static)
    endif()
  endforeach()
elseif(CMAKE_CROSSCOMPILING_EMULATOR)
  foreach(test unit_tests capture_test)
    add_skipped_test(${test} "GoogleTest's sources (Debian: googletest) are not installed")
  endforeach()
endif()

find_program(OBJDUMP ${LOCALE_REPORT_MINGW_TARGET}-objdump)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(pe_format pei-x86-64)
else()
  set(pe_format pei-i386)
endif()
add_test(NAME windows_program COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/check-windows-program.sh
  $<TARGET_FILE:locale-report> ${OBJDUMP} ${pe_format})

add_test(NAME windows_resources
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/check-windows-resources.sh $<TARGET_FILE:locale-report> ${PROJECT_VERSION})
set_tests_properties(windows_resources PROPERTIES SKIP_RETURN_CODE 77)

set(wine_tests e2e_locales e2e_apart e2e_streams e2e_console)
if(TARGET unit_tests OR NOT CMAKE_CROSSCOMPILING_EMULATOR)
  list(APPEND wine_tests unit_tests capture_test)
endif()
if(CMAKE_CROSSCOMPILING_EMULATOR)
  if(TARGET unit_tests)
    add_test(NAME unit_tests COMMAND unit_tests)
    add_test(NAME capture_test COMMAND capture_test)
  endif()
  foreach(group locales apart streams console)
    add_test(NAME e2e_${group} COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e_windows.sh ${group}
      ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:locale-report> ${TEST_LOCPATH})
  endforeach()
  # Making a prefix writes some 700 MB, so it is made once, before the tests,
  # and each test's own is linked to it.
  set(wine_template ${CMAKE_BINARY_DIR}/wine/template)
  # The tests' prefixes are linked to it, and must leave its registry as it was.
  add_test(NAME wine_prefix COMMAND sh -c "rm -rf '${wine_template}' &&
    WINEPREFIX='${wine_template}' '${CMAKE_CROSSCOMPILING_EMULATOR}' --version &&
    { WINEPREFIX='${wine_template}' wineserver -k; true; } &&
    cd '${wine_template}' && sha256sum *.reg >registry.sha256")
  add_test(NAME wine_prefix_removed COMMAND sh -c "cd '${wine_template}' && sha256sum -c registry.sha256;
    status=$?; cd / && rm -rf '${wine_template}' && exit $status")
  set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine)
  set_tests_properties(wine_prefix_removed PROPERTIES FIXTURES_CLEANUP wine)
  set_tests_properties(${wine_tests} PROPERTIES FIXTURES_REQUIRED wine)
  set_tests_properties(${wine_tests} PROPERTIES SKIP_RETURN_CODE 77)
  set_tests_properties(wine_prefix ${wine_tests} PROPERTIES ENVIRONMENT
    "WINE=${WINE_PROGRAM};WINE_RUN_DIR=${CMAKE_BINARY_DIR}/wine;WINE_TEMPLATE=${wine_template}")
else()
  set(why "${LOCALE_REPORT_WINE} (Debian: ${LOCALE_REPORT_WINE_PACKAGES}) is not installed")
  if(WINE_PROGRAM)
    string(REPLACE "'" "" why "${WINE_PROGRAM} cannot run here: ${LOCALE_REPORT_WINE_ERROR}")
  endif()
  foreach(test ${wine_tests})
    add_skipped_test(${test} "${why}")
  endforeach()
endif()

# The download: the program, the README and the licence in the zip, and its
# checksum.
add_test(NAME package COMMAND sh -c
  "'${CMAKE_CPACK_COMMAND}' -G ZIP >/dev/null && '${CMAKE_COMMAND}' -E tar tf ${LOCALE_REPORT_ZIP}.zip | sort | tr '\\n' ' ' | grep -x 'LICENSE.txt README.md locale-report.exe ' && sha256sum -c ${LOCALE_REPORT_ZIP}.zip.sha256"
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
