# SPDX-License-Identifier: GPL-3.0-or-later
# Install layout. Each program installs itself and its manual page (from data/man) with one
# line beside its add_executable, for instance:
#     zentaro_install_program(zentaro_cli zentaro-cli.1)
include(GNUInstallDirs)

# The page's header names the version project() gives, in place of @PROJECT_VERSION@.
function(zentaro_install_program target manualPage)
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    configure_file(${PROJECT_SOURCE_DIR}/data/man/${manualPage}
                   ${PROJECT_BINARY_DIR}/man/${manualPage} @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/man/${manualPage}
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
