# SPDX-License-Identifier: GPL-3.0-or-later
# The libraries from Debian that several folders use, found once. The header-only ones serve a
# cross build too: their headers are shared by every target system, so the Windows build takes
# them from the host, each folder on its own so that none of the host's C library comes along.
if(CMAKE_CROSSCOMPILING)
    set(host_headers ${CMAKE_BINARY_DIR}/host-headers)
    foreach(folder CLI nlohmann toml++)
        file(MAKE_DIRECTORY ${host_headers})
        file(CREATE_LINK /usr/include/${folder} ${host_headers}/${folder} SYMBOLIC)
    endforeach()
    foreach(target CLI11::CLI11 nlohmann_json::nlohmann_json tomlplusplus::tomlplusplus)
        add_library(${target} INTERFACE IMPORTED GLOBAL)
        set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${host_headers})
    endforeach()
    set_target_properties(tomlplusplus::tomlplusplus PROPERTIES
                          INTERFACE_COMPILE_DEFINITIONS TOML_HEADER_ONLY=1)
else()
    find_package(CLI11 2.1 REQUIRED)
    find_package(nlohmann_json 3.11 REQUIRED)
    find_package(tomlplusplus REQUIRED)
endif()
