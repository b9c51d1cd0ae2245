# What every build of the installer's code shares: language level, warnings and the
# sources of its logic (no <windows.h>), built for the product and for native tests.
get_filename_component(TK_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

set(TK_WARNINGS -Wall -Wextra -Werror)

set(TK_CORE_SOURCES
    src/app/command_line.cpp
    src/app/exit_status.cpp
    src/app/install_run.cpp
    src/app/palette_png.cpp
    src/app/wizard_layout.cpp
    src/app/wizard_model.cpp
    src/install/catalogue.cpp
    src/install/compatibility_layer.cpp
    src/install/extraction.cpp
    src/install/folder_maker.cpp
    src/install/folder_access.cpp
    src/install/inflate.cpp
    src/install/install_plan.cpp
    src/install/install_sequence.cpp
    src/install/progress.cpp
    src/platform/files.cpp
    src/platform/paths.cpp
    src/install/registry_entries.cpp
    src/install/run_record.cpp
    src/install/shortcuts.cpp
    src/provider/calmwall.cpp
)
list(TRANSFORM TK_CORE_SOURCES PREPEND ${TK_SOURCE_DIR}/)
