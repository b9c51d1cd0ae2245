# Release builds: signing the setup program as the last step of building it, and the checks
# of what is released (imports, reproducibility, signature).
set(TK_PRODUCT_NAME "tidyKiosk Filter v3")
set(TK_PRODUCT_URL "http://www.tidykiosk.example/")  # as in the Uninstall entry
set(TK_SIGN_PFX "" CACHE FILEPATH
    "PKCS#12 file to sign tidykiosk_filter_v3.exe with; its password comes from the environment variable TK_SIGN_PASSWORD when building (empty: unsigned)")
set(TK_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server for the signature (optional)")

if(TK_SIGN_PFX)
    if(NOT EXISTS "${TK_SIGN_PFX}" OR IS_DIRECTORY "${TK_SIGN_PFX}")
        message(FATAL_ERROR "TK_SIGN_PFX=${TK_SIGN_PFX}: no such file")
    endif()
    find_program(TK_OSSLSIGNCODE osslsigncode REQUIRED)
    set(tk_sign_arguments ${TK_SIGN_PFX} ${TK_PRODUCT_NAME} ${TK_PRODUCT_URL})
    if(TK_SIGN_TIMESTAMP_URL)
        list(APPEND tk_sign_arguments ${TK_SIGN_TIMESTAMP_URL})
    endif()
    # The password is read by the script when it runs, never by CMake, so that it stays out
    # of the cache and the generated build files.
    add_custom_command(TARGET tidykiosk_filter_v3 POST_BUILD
        COMMAND env TK_OSSLSIGNCODE=${TK_OSSLSIGNCODE} bash ${CMAKE_SOURCE_DIR}/scripts/sign-program.sh
                $<TARGET_FILE:tidykiosk_filter_v3> ${tk_sign_arguments}
        VERBATIM)
endif()
# Linking again whenever the signing settings or the key change keeps the program at the
# output path signed exactly as configured (or unsigned, without TK_SIGN_PFX).
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/signing.txt
     CONTENT "pfx=${TK_SIGN_PFX}\ntimestamp=${TK_SIGN_TIMESTAMP_URL}\n")
set_property(TARGET tidykiosk_filter_v3 APPEND PROPERTY LINK_DEPENDS ${CMAKE_BINARY_DIR}/signing.txt)
if(TK_SIGN_PFX)
    set_property(TARGET tidykiosk_filter_v3 APPEND PROPERTY LINK_DEPENDS ${TK_SIGN_PFX})
endif()

add_test(NAME release_imports
         COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/release/check_imports.py ${CMAKE_OBJDUMP}
                 $<TARGET_FILE:tidykiosk_filter_v3> ${CMAKE_SOURCE_DIR}/tests/imports-allowed.txt)
set_tests_properties(release_imports PROPERTIES LABELS release)
add_test(NAME release_resource_layout
         COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/release/check_layout.py ${CMAKE_OBJDUMP}
                 $<TARGET_FILE:tidykiosk_filter_v3>)
set_tests_properties(release_resource_layout PROPERTIES LABELS release)
add_test(NAME release_size
         COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/release/check_size.py
                 $<TARGET_FILE:tidykiosk_filter_v3> ${CMAKE_BINARY_DIR}/packed 240000)
set_tests_properties(release_size PROPERTIES LABELS release)
