# The installer's Windows code and how it is compiled, shared by the product's build and
# the sub-build of the GoogleTest suites (tests/win).
find_package(ZLIB REQUIRED)

set(TK_WIN32_SOURCES
    src/platform/win32/win32_files.cpp
    src/platform/win32/win32_hidden_window.cpp
    src/platform/win32/win32_protocol_catalogue.cpp
    src/platform/win32/win32_registry.cpp
    src/platform/win32/win32_console.cpp
    src/platform/win32/error_mode.cpp
    src/platform/win32/win32_crash_guard.cpp
    src/platform/win32/win32_security.cpp
    src/platform/win32/win32_event_log.cpp
    src/platform/win32/win32_shell.cpp
    src/platform/win32/win32_system.cpp
    src/platform/win32/win32_wait.cpp
    src/platform/win32/win32_batch_run.cpp
)
set(TK_APP_SOURCES
    src/app/installer_events.cpp
    src/app/installer_install.cpp
    src/app/installer_messages.cpp
    src/app/installer_status.cpp
    src/app/silent_runner.cpp
    src/app/installer_window.cpp
    src/app/pictures.cpp
    src/app/ui_text.cpp
)
# Step timings for the benchmarks (scripts/benchmark.sh); never in a released program.
option(TK_PROFILE "Time the steps of a run and print them when it ends (benchmarks only)" OFF)
if(TK_PROFILE)
    list(APPEND TK_WIN32_SOURCES src/platform/win32/win32_profile.cpp)
endif()
list(TRANSFORM TK_WIN32_SOURCES PREPEND ${TK_SOURCE_DIR}/)
list(TRANSFORM TK_APP_SOURCES PREPEND ${TK_SOURCE_DIR}/)
# No uuid library: it carries every interface identifier of the system; the few the
# installer needs are defined where they are used.
set(TK_SYSTEM_LIBRARIES comctl32 ole32 oleaut32 shell32 advapi32 gdi32 user32 ws2_32)
# The oldest Windows the program runs on (README): Windows XP SP3. The headers then hide
# what later versions added; tests/release/check_imports.py checks what the program imports.
if(NOT DEFINED TK_WIN32_WINNT)
    set(TK_WIN32_WINNT 0x0501)
endif()

add_compile_options(-ffunction-sections -fdata-sections)
add_link_options(-static -Wl,--gc-sections)
# Reproducible: no build folder in what is compiled (__FILE__ and the like) and no time
# stamp in the PE headers, so the same sources give the same bytes wherever and whenever
# they are built.
add_compile_options(-ffile-prefix-map=${TK_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
add_link_options(-Wl,--no-insert-timestamp)

function(tk_windows_code target)
    target_sources(${target} PRIVATE ${TK_CORE_SOURCES} ${TK_WIN32_SOURCES} ${TK_APP_SOURCES})
    target_include_directories(${target} PUBLIC ${TK_SOURCE_DIR}/src)
    target_compile_definitions(${target} PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX
                               _WIN32_WINNT=${TK_WIN32_WINNT} $<$<BOOL:${TK_PROFILE}>:TK_PROFILE>)
    target_compile_options(${target} PRIVATE ${TK_WARNINGS})
    target_link_libraries(${target} PUBLIC ZLIB::ZLIB ${TK_SYSTEM_LIBRARIES})
endfunction()
