# SPDX-License-Identifier: GPL-3.0-or-later
# Fails while docs/chips.md differs from what zentaro-chip-table makes of the device table.
execute_process(COMMAND ${TABLE} OUTPUT_VARIABLE made RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "zentaro-chip-table failed (${status})")
endif()
file(READ ${PAGE} committed)
if(NOT made STREQUAL committed)
    message(FATAL_ERROR "docs/chips.md no longer matches the device table. Make it again with\n"
                        "    cmake --build ${BUILD_DIR} --target update_chips_md\n"
                        "and commit the new page.")
endif()
