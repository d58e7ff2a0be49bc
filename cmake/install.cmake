# SPDX-License-Identifier: GPL-3.0-or-later
# Install layout. Each program installs itself and its manual page (from data/man) with one
# line beside its add_executable, for instance:
#     zentaro_install_program(zentaro_cli zentaro-cli.1)
include(GNUInstallDirs)

function(zentaro_install_program target manualPage)
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${PROJECT_SOURCE_DIR}/data/man/${manualPage}
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
