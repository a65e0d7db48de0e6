# CLI11, the command line's option parser: header only. A cross build must not search the
# build machine's /usr/include, whose C library headers would stand in for the target's, so
# there the CLI/ folder alone is made reachable through a folder of the build tree.
if(TARGET CLI11::CLI11)
  return()
endif()

if(NOT CMAKE_CROSSCOMPILING)
  find_package(CLI11 CONFIG REQUIRED)
  return()
endif()

find_path(PLOVANE_CLI11_INCLUDE_DIR CLI/CLI.hpp PATHS /usr/include NO_DEFAULT_PATH
          NO_CMAKE_FIND_ROOT_PATH DOC "The folder that holds CLI11's CLI/ headers")
if(NOT PLOVANE_CLI11_INCLUDE_DIR)
  message(FATAL_ERROR "CLI11's headers (CLI/CLI.hpp) were not found: install libcli11-dev, "
                      "or set PLOVANE_CLI11_INCLUDE_DIR to the folder that holds CLI/.")
endif()

set(cli11_only ${CMAKE_BINARY_DIR}/cli11-include)
file(MAKE_DIRECTORY ${cli11_only})
file(CREATE_LINK ${PLOVANE_CLI11_INCLUDE_DIR}/CLI ${cli11_only}/CLI COPY_ON_ERROR SYMBOLIC)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${cli11_only})
