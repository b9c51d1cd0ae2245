# Native build: the installer's logic with the unit tests, sanitizers on.
find_package(ZLIB REQUIRED)
find_package(GTest REQUIRED)
include(GoogleTest)

set(TK_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(${TK_SANITIZE})
add_link_options(${TK_SANITIZE})

add_library(tk_core STATIC ${TK_CORE_SOURCES})
target_include_directories(tk_core PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_options(tk_core PRIVATE ${TK_WARNINGS})
target_link_libraries(tk_core PUBLIC ZLIB::ZLIB)

file(GLOB TK_UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp
     ${CMAKE_SOURCE_DIR}/tests/unit/fakes/*.cpp)
add_executable(unit_tests ${TK_UNIT_TEST_SOURCES})
target_include_directories(unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit)
target_compile_options(unit_tests PRIVATE ${TK_WARNINGS})
target_link_libraries(unit_tests PRIVATE tk_core GTest::gtest GTest::gtest_main)
gtest_discover_tests(unit_tests PROPERTIES LABELS unit)
