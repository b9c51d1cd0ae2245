# Windows-side tests, run by ctest under Wine.
#  - wine_setup / wine_cleanup: the fixture that starts Xvfb and makes a pristine prefix
#    (64-bit, fresh for every ctest run) under build/windows/wine.
#  - win_tests: GoogleTest suites (tests/win/*.cpp) built for Windows; each run gets its
#    own fresh copy of the pristine prefix through scripts/wine-run.sh. GoogleTest needs
#    the posix thread model, so they are built in a sub-build (build/windows/win-tests)
#    with cmake/mingw-i686-posix.cmake, from the same sources as the product.
#  - e2e_*: one per tests/e2e/*.sh script, which drives the built setup program.
set(TK_WINE_ROOT ${CMAKE_BINARY_DIR}/wine)

include(ExternalProject)
set(TK_WIN_TESTS_DIR ${CMAKE_BINARY_DIR}/win-tests)
ExternalProject_Add(win_tests_build
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/tests/win
    BINARY_DIR ${TK_WIN_TESTS_DIR}
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-i686-posix.cmake
               -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
    BUILD_ALWAYS ON
    INSTALL_COMMAND "")

add_test(NAME wine_setup COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/wine-env.sh setup ${TK_WINE_ROOT})
set_tests_properties(wine_setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 240)
add_test(NAME wine_cleanup COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/wine-env.sh cleanup ${TK_WINE_ROOT})
set_tests_properties(wine_cleanup PROPERTIES FIXTURES_CLEANUP wine)

# The registry suites change the access lists of machine keys through a helper program; they
# get a prefix of their own. After them, in the same prefix, Wine's drive queries
# (GetDriveTypeA, QueryDosDeviceA) have hung for good in the files suite.
add_test(NAME win_tests COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh
                                ${TK_WIN_TESTS_DIR}/win_tests.exe --gtest_filter=-RegistryTest.*)
add_test(NAME win_registry_tests COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh
                                         ${TK_WIN_TESTS_DIR}/win_tests.exe --gtest_filter=RegistryTest.*)
set_tests_properties(win_tests win_registry_tests PROPERTIES FIXTURES_REQUIRED wine LABELS windows
                     ENVIRONMENT "TK_WINE_ROOT=${TK_WINE_ROOT}")

file(GLOB TK_E2E_SCRIPTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*_test.sh)
foreach(script IN LISTS TK_E2E_SCRIPTS)
    get_filename_component(name ${script} NAME_WE)
    string(REGEX REPLACE "_test$" "" name ${name})
    add_test(NAME e2e_${name} COMMAND bash ${script})
    set_tests_properties(e2e_${name} PROPERTIES FIXTURES_REQUIRED wine LABELS e2e ENVIRONMENT
        "TK_WINE_ROOT=${TK_WINE_ROOT};TK_SETUP_EXE=$<TARGET_FILE:tidykiosk_filter_v3>;TK_BUILD_DIR=${CMAKE_BINARY_DIR};TK_PAYLOAD_STAGE=${TK_STAGE};TK_PAYLOAD_INPUT=${TK_PAYLOAD_DIR}")
endforeach()

# Release builds (tests/release): each builds the program alone with scripts/release.sh in
# private copies of the sources. The signing test leaves its signed program for the install
# test under Wine.
set(TK_SIGNED_EXE ${CMAKE_BINARY_DIR}/release-tests/tidykiosk_filter_v3.exe)
add_test(NAME release_reproducible COMMAND bash ${CMAKE_SOURCE_DIR}/tests/release/reproducible_test.sh)
add_test(NAME release_signing COMMAND bash ${CMAKE_SOURCE_DIR}/tests/release/signing_test.sh)
set_tests_properties(release_reproducible release_signing PROPERTIES TIMEOUT 900 LABELS release
                     ENVIRONMENT "TK_BUILD_DIR=${CMAKE_BINARY_DIR};TK_SIGNED_EXE=${TK_SIGNED_EXE}")
set_tests_properties(release_signing PROPERTIES FIXTURES_SETUP signed_program)
add_test(NAME release_signed_install COMMAND bash ${CMAKE_SOURCE_DIR}/tests/release/signed_install_test.sh)
set_tests_properties(release_signed_install PROPERTIES FIXTURES_REQUIRED "wine;signed_program"
                     LABELS release ENVIRONMENT
                     "TK_WINE_ROOT=${TK_WINE_ROOT};TK_SETUP_EXE=${TK_SIGNED_EXE}")
