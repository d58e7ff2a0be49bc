# SPDX-License-Identifier: GPL-3.0-or-later
# Every program prints the one version set in project(): link zentaro_version and include
# "zentaro_version.h" for zentaro::kVersion.
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in
               ${PROJECT_BINARY_DIR}/generated/zentaro_version.h @ONLY)
add_library(zentaro_version INTERFACE)
target_include_directories(zentaro_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
