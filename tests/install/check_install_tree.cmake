# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a scratch prefix and checks that the tree holds exactly the files a
# desktop and the Debian package expect, and that the installed programs say their version.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (is everything built?)")
endif()

set(expected
    bin/zentaro
    bin/zentaro-cli
    bin/zentaro-sim
    share/applications/zentaro.desktop
    share/doc/zentaro/examples/60-zentaro.rules
    share/icons/hicolor/128x128/apps/zentaro.png
    share/icons/hicolor/256x256/apps/zentaro.png
    share/icons/hicolor/48x48/apps/zentaro.png
    share/icons/hicolor/scalable/apps/zentaro.svg
    share/man/man1/zentaro-cli.1
    share/man/man1/zentaro-sim.1
    share/man/man1/zentaro.1
    share/metainfo/zentaro.metainfo.xml)
file(GLOB_RECURSE installed RELATIVE ${PREFIX} ${PREFIX}/*)
list(SORT installed)
list(SORT expected)
if(NOT installed STREQUAL expected)
    string(REPLACE ";" "\n  " installed "${installed}")
    message(FATAL_ERROR "the install tree holds\n  ${installed}\n"
                        "update the list in this file when a file is added on purpose")
endif()

# No display is needed for --version: the window program answers before it starts Qt.
foreach(program zentaro zentaro-cli zentaro-sim)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
                            --unset=QT_QPA_PLATFORM ${PREFIX}/bin/${program} --version
                    OUTPUT_VARIABLE output RESULT_VARIABLE status)
    if(NOT status EQUAL 0 OR NOT output STREQUAL "${program} ${VERSION}\n")
        message(FATAL_ERROR "${program} --version gave status ${status} and '${output}'")
    endif()
endforeach()
