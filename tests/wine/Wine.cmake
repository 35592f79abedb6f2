# Included by tests/CMakeLists.txt in the Windows cross build: its tests run
# under Wine, in the prefix that tests/wine/prepare-prefix.sh sets up (the
# Makefile's test-windows runs it before CTest). Every COM name of that prefix
# is mapped to a link under KELMORA_WINE_DIR/ports, so a test reaches only the
# ptys it points those links at and never a real serial port.
set(KELMORA_WINE_DIR "${CMAKE_BINARY_DIR}/wine" CACHE PATH
    "Wine prefix, COM port links and locale of the Windows tests")
set(KELMORA_WINE_PORTS ${KELMORA_WINE_DIR}/ports)
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(KELMORA_WINE wine REQUIRED)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${KELMORA_WINE} CACHE STRING "" FORCE)
endif()

# The tests' prefix, quiet, without the Mono and Gecko installers, and with
# the Czech locale: Wine's ANSI code page is then Windows-1250, the one the
# program's file names are written in.
set(KELMORA_WINE_ENV
    WINEPREFIX=${KELMORA_WINE_DIR}/prefix
    WINEDEBUG=-all
    WINEDLLOVERRIDES=mscoree,mshtml=
    LOCPATH=${KELMORA_WINE_DIR}/locale
    LC_ALL=cs_CZ.UTF-8)
# Every test program created from here on runs this way (the cache keeps the
# bare emulator for the programs outside tests/), through run.sh, which starts
# it again when Wine fails to start it.
set(CMAKE_CROSSCOMPILING_EMULATOR bash ${CMAKE_CURRENT_LIST_DIR}/run.sh
    env ${KELMORA_WINE_ENV} ${CMAKE_CROSSCOMPILING_EMULATOR})

# null-modem runs on the build machine, not under Wine. A test program marked
# NULL_MODEM runs inside it: COM11 and COM12 are then wired to each other.
find_program(KELMORA_HOST_CXX NAMES g++ c++ REQUIRED)
set(KELMORA_NULL_MODEM ${CMAKE_BINARY_DIR}/host/null-modem)
add_custom_command(
    OUTPUT ${KELMORA_NULL_MODEM}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
    COMMAND ${KELMORA_HOST_CXX} -std=c++20 -O2 -Wall -Wextra -Wpedantic -Werror
            -o ${KELMORA_NULL_MODEM} ${CMAKE_CURRENT_LIST_DIR}/null_modem.cpp
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/null_modem.cpp
    COMMENT "Building null-modem for the build machine")
add_custom_target(null_modem ALL DEPENDS ${KELMORA_NULL_MODEM})
set(KELMORA_NULL_MODEM_RUN
    ${KELMORA_NULL_MODEM} ${KELMORA_WINE_PORTS}/com11 ${KELMORA_WINE_PORTS}/com12 --)

# The Windows program itself under Wine, against tobrin-sim: the same request
# file as the Linux build, a second copy in the same prefix, the same
# request against tobrin-sim.exe on COM2 (wired to COM1 by null-modem), over
# Debian's ser2net (rfc2217:// and tcp://), and kelmora.exe request against
# kelmora.exe. All take COM1 or the prefix's named mutex, so they never run at
# the same time.
set(KELMORA_NATIVE_BIN_DIR "" CACHE PATH
    "bin directory of a Linux build with kelmora and tobrin-sim, for the Windows end-to-end tests")
foreach(mode end-to-end single-instance simulator network request)
    add_test(NAME wine.headless.${mode}
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/headless.sh ${mode})
    set_tests_properties(wine.headless.${mode} PROPERTIES
        ENVIRONMENT "${KELMORA_WINE_ENV};KELMORA_EXE=$<TARGET_FILE:kelmora>;KELMORA_NATIVE=${KELMORA_NATIVE_BIN_DIR}/kelmora;TOBRIN_SIM=${KELMORA_NATIVE_BIN_DIR}/tobrin-sim;TOBRIN_SIM_EXE=$<TARGET_FILE:tobrin-sim>;NULL_MODEM=${KELMORA_NULL_MODEM};KELMORA_WINE_PORTS=${KELMORA_WINE_PORTS};WORK=${CMAKE_BINARY_DIR}/wine-headless"
        RESOURCE_LOCK wine_com1
        LABELS integration
        TIMEOUT 300)
endforeach()
