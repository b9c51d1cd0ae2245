# Cross build: the setup program, its stand-in payloads, and the Windows-side tests.
include(cmake/windows-code.cmake)

# The installer's code twice: as a library for the tools and benchmarks, and compiled into
# the program itself with link-time optimisation, which keeps it about 35 KiB smaller
# (MinGW's linker cannot mix optimised and plain objects of the same inline functions).
add_library(tk_core STATIC)
tk_windows_code(tk_core)

# --- Payload packer: a host tool, compiled with the build machine's compiler -------------
find_program(TK_HOST_CXX NAMES c++ g++ REQUIRED)
set(TK_PACKER ${CMAKE_BINARY_DIR}/host-tools/pack_payload)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/host-tools)
execute_process(
    COMMAND ${TK_HOST_CXX} -std=c++17 -O2 -Wall -Wextra -Werror
            ${CMAKE_SOURCE_DIR}/tools/pack_payload.cpp -lz -o ${TK_PACKER}
    RESULT_VARIABLE TK_PACKER_RESULT)
if(NOT TK_PACKER_RESULT EQUAL 0)
    message(FATAL_ERROR "Cannot build the payload packer (needs the host compiler and zlib1g-dev)")
endif()
# --- Stand-in programs ----------------------------------------------------------------------
set(TK_STANDIN_PROGRAMS fltsrv fltcln fltfw _fltw Uninstall)
set(TK_STANDIN_LIBRARIES sporder _kfilter)
foreach(name IN LISTS TK_STANDIN_PROGRAMS)
    add_executable(standin_${name} WIN32 resources/standins/standin_exe.c)
    set_target_properties(standin_${name} PROPERTIES OUTPUT_NAME ${name}
                          RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standins)
    target_compile_definitions(standin_${name} PRIVATE STANDIN_ROLE="${name}.exe")
    target_compile_options(standin_${name} PRIVATE ${TK_WARNINGS})
    target_link_options(standin_${name} PRIVATE -s)
endforeach()
foreach(name IN LISTS TK_STANDIN_LIBRARIES)
    add_library(standin_${name} SHARED resources/standins/standin_dll.c)
    set_target_properties(standin_${name} PROPERTIES OUTPUT_NAME ${name} PREFIX ""
                          RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standins)
    target_compile_definitions(standin_${name} PRIVATE STANDIN_ROLE="${name}.dll")
    target_compile_options(standin_${name} PRIVATE ${TK_WARNINGS})
    target_link_options(standin_${name} PRIVATE -s)
endforeach()

# --- Payloads: id and the path of the installed file -----------------------------------------
set(TK_PAYLOADS
    "101:fltsrv.exe" "102:fltcln.exe" "103:fltfw.exe" "104:_fltw.exe" "105:sporder.dll"
    "106:proto/proto.txt" "107:proto/proto-ban.txt" "108:proto/proto-search.txt"
    "109:tidykiosk_agreement.txt" "110:plugin/_kfilter.dll" "111:Uninstall.exe"
    "112:language/data/turkce.lng" "113:language/data/english.lng"
    "114:language/turkce.ini" "115:language/english.ini")

set(TK_PAYLOAD_DIR "" CACHE PATH
    "Folder with the fifteen payload files at their catalogue paths (empty: the stand-ins)")
set(TK_STAGE ${CMAKE_BINARY_DIR}/payload)
set(TK_PACKED ${CMAKE_BINARY_DIR}/packed)
file(MAKE_DIRECTORY ${TK_PACKED})

set(TK_PACKED_FILES)
set(TK_PAYLOAD_RESOURCES "")
foreach(item IN LISTS TK_PAYLOADS)
    string(REPLACE ":" ";" fields "${item}")
    list(GET fields 0 id)
    list(GET fields 1 path)
    if(TK_PAYLOAD_DIR)
        set(input ${TK_PAYLOAD_DIR}/${path})
        if(NOT EXISTS ${input})
            message(FATAL_ERROR "Payload file missing: ${input} (TK_PAYLOAD_DIR=${TK_PAYLOAD_DIR}"
                                " must hold all fifteen payload files at their catalogue paths)")
        endif()
    else()
        set(input ${TK_STAGE}/${path})
        get_filename_component(name_we ${path} NAME_WE)
        get_filename_component(ext ${path} EXT)
        get_filename_component(dir ${input} DIRECTORY)
        if(ext STREQUAL ".exe" OR ext STREQUAL ".dll")
            add_custom_command(OUTPUT ${input}
                COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
                COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:standin_${name_we}> ${input}
                DEPENDS standin_${name_we} VERBATIM)
        elseif(ext STREQUAL ".lng")
            # Language data is stored as a zlib stream in its installed form too.
            add_custom_command(OUTPUT ${input}
                COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
                COMMAND ${TK_PACKER} ${CMAKE_SOURCE_DIR}/resources/language-data/${name_we}.txt
                        ${input}
                DEPENDS ${CMAKE_SOURCE_DIR}/resources/language-data/${name_we}.txt VERBATIM)
        else()
            add_custom_command(OUTPUT ${input}
                COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
                COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/resources/payload/${path}
                        ${input}
                DEPENDS ${CMAKE_SOURCE_DIR}/resources/payload/${path} VERBATIM)
        endif()
    endif()
    set(packed ${TK_PACKED}/${id}.z)
    add_custom_command(OUTPUT ${packed}
        COMMAND ${TK_PACKER} ${input} ${packed}
        DEPENDS ${input} VERBATIM)
    list(APPEND TK_PACKED_FILES ${packed})
    string(APPEND TK_PAYLOAD_RESOURCES "${id} RCDATA \"${packed}\"\n")
endforeach()
add_custom_target(tk_payloads DEPENDS ${TK_PACKED_FILES})

set(TK_MANIFEST ${CMAKE_SOURCE_DIR}/resources/tidykiosk_filter_v3.manifest)
# The 64-bit benchmark build (cmake/mingw-x86_64.cmake) names its own architecture, or
# Windows finds no common controls 6 for it and the wizard gets the old unthemed ones.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    file(READ ${TK_MANIFEST} manifest)
    string(REPLACE "processorArchitecture=\"x86\"" "processorArchitecture=\"amd64\"" manifest
                   "${manifest}")
    set(TK_MANIFEST ${CMAKE_BINARY_DIR}/tidykiosk_filter_v3.manifest)
    file(WRITE ${TK_MANIFEST} "${manifest}")
endif()
# The window's pictures and the agreement shown on its licence page.
set(TK_WINDOW_RESOURCES ${CMAKE_SOURCE_DIR}/resources/pictures/banner.png
    ${CMAKE_SOURCE_DIR}/resources/pictures/logo.png ${CMAKE_SOURCE_DIR}/resources/payload/tidykiosk_agreement.txt)
configure_file(resources/tidykiosk_filter_v3.rc.in ${CMAKE_BINARY_DIR}/tidykiosk_filter_v3.rc @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/tidykiosk_filter_v3.rc PROPERTIES
                            OBJECT_DEPENDS "${TK_PACKED_FILES};${TK_MANIFEST};${TK_WINDOW_RESOURCES}")

# --- The setup program ----------------------------------------------------------------------
# src/runtime: the program's own versions of a few library functions, which keep the
# libraries' larger ones out (see src/runtime/README.md).
add_executable(tidykiosk_filter_v3 WIN32 src/app/main.cpp src/runtime/library_errors.cpp
               src/runtime/zlib_checksums.cpp src/runtime/terminate_handler.cpp
               src/runtime/math_errors.cpp
               ${CMAKE_BINARY_DIR}/tidykiosk_filter_v3.rc)
add_dependencies(tidykiosk_filter_v3 tk_payloads)
target_compile_options(tidykiosk_filter_v3 PRIVATE ${TK_WARNINGS})
tk_windows_code(tidykiosk_filter_v3)
target_link_options(tidykiosk_filter_v3 PRIVATE -s)
# No run-time type information: nothing in the program asks for it (no dynamic_cast, no
# typeid), and the exception types get theirs all the same (about 5.5 KiB).
target_compile_options(tidykiosk_filter_v3 PRIVATE -fno-rtti)
# One constructor body per class, shared by every file that uses it: at -Os the compiler
# otherwise makes each file's constructors call a "unified" body of that file's own, which
# the link-time optimiser keeps once per file (about 1.7 KiB of code and 1.3 KiB of unwind
# tables, most of them the standard string's).
target_compile_options(tidykiosk_filter_v3 PRIVATE -fno-declone-ctor-dtor)
# A switch becomes compares, not a table of addresses: each table entry costs four bytes of
# constant data and a relocation, more than the compares it saves.
target_compile_options(tidykiosk_filter_v3 PRIVATE -fno-jump-tables)
set_target_properties(tidykiosk_filter_v3 PROPERTIES INTERPROCEDURAL_OPTIMIZATION ON)
target_link_options(tidykiosk_filter_v3 PRIVATE -flto-partition=none)
# The payload mapped from the file when the program starts, not copied into its memory:
# every section, the resources' among them, starts on a page boundary of the file, as the
# linker lays it out when asked (Wine reads a section that does not into private memory).
target_link_options(tidykiosk_filter_v3 PRIVATE -Wl,--file-alignment,0x1000)

include(cmake/release.cmake)

# --- Small Win32 programs the tests use (tests/win/tools/NAME.cpp -> NAME.exe) -------------
# Built by the 64-bit preset too: where the 32-bit program runs under an emulator, the checks
# of how the processor itself reports a fault run on the 64-bit build (tests/e2e/crash_test.sh).
file(GLOB TK_WIN_TEST_TOOLS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/tools/*.cpp)
foreach(source IN LISTS TK_WIN_TEST_TOOLS)
    get_filename_component(tool ${source} NAME_WE)
    add_executable(${tool} ${source})
    target_compile_options(${tool} PRIVATE ${TK_WARNINGS})
    target_link_libraries(${tool} PRIVATE tk_core)
    set_target_properties(${tool} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test-tools)
endforeach()
# The crash tool raises library errors as the setup program does.
target_sources(tk_crash PRIVATE ${CMAKE_SOURCE_DIR}/src/runtime/library_errors.cpp)

# --- Windows-side tests under Wine ------------------------------------------------------------
option(TK_BUILD_WINDOWS_TESTS "Build the tests that run under Wine" ON)
if(TK_BUILD_WINDOWS_TESTS)
    include(cmake/windows-tests.cmake)
endif()

# --- Benchmarks (scripts/benchmark.sh) --------------------------------------------------------
add_executable(inflate_bench bench/inflate_bench.cpp)
target_compile_options(inflate_bench PRIVATE ${TK_WARNINGS})
target_link_libraries(inflate_bench PRIVATE tk_core)
add_executable(bench_noop WIN32 bench/noop.cpp)
target_compile_options(bench_noop PRIVATE ${TK_WARNINGS})
add_executable(bench_probe bench/bench_probe.cpp)
target_compile_options(bench_probe PRIVATE ${TK_WARNINGS})
target_link_libraries(bench_probe PRIVATE psapi)
