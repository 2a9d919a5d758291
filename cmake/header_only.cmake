# The header-only libraries dpxtool builds on: CLI11 (its command line) and nlohmann-json (its
# JSON output). The Windows cross builds may not look into /usr/include, which holds the host's C
# library, so only the two libraries' own folders are copied into a folder of the build and that
# folder is the include path, on every build alike.
find_path(SUITE_CLI11_INCLUDE_DIR CLI/CLI.hpp PATHS /usr/include /usr/local/include NO_CMAKE_FIND_ROOT_PATH)
find_path(SUITE_NLOHMANN_INCLUDE_DIR nlohmann/json.hpp PATHS /usr/include /usr/local/include NO_CMAKE_FIND_ROOT_PATH)
if(NOT SUITE_CLI11_INCLUDE_DIR)
  message(FATAL_ERROR "dpxtool needs CLI11 (Debian: libcli11-dev).")
endif()
if(NOT SUITE_NLOHMANN_INCLUDE_DIR)
  message(FATAL_ERROR "dpxtool needs nlohmann-json (Debian: nlohmann-json3-dev).")
endif()
set(SUITE_HEADER_ONLY_DIR ${CMAKE_BINARY_DIR}/header_only)
file(COPY ${SUITE_CLI11_INCLUDE_DIR}/CLI DESTINATION ${SUITE_HEADER_ONLY_DIR})
file(COPY ${SUITE_NLOHMANN_INCLUDE_DIR}/nlohmann DESTINATION ${SUITE_HEADER_ONLY_DIR})
add_library(header_only_libraries INTERFACE)
target_include_directories(header_only_libraries SYSTEM INTERFACE ${SUITE_HEADER_ONLY_DIR})
