# SPDX-License-Identifier: GPL-3.0-or-later
# Every target of the project compiles with the same strict warning set; CI turns the
# warnings into errors with ZENTARO_WERROR so that none can land.
option(ZENTARO_WERROR "Treat compiler warnings as errors" OFF)

function(zentaro_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                             -Wsign-conversion)
    if(ZENTARO_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
