# What the Debian package holds besides the programs, from the files in packaging/ (not on
# Windows).
#
#   plovane_add_man_page(<target> <out-var>)
#       After every link of <target> (the command plovane), help2man writes the manual page
#       plovane(1) from its --help and --version, with the sections of packaging/plovane.h2m;
#       <out-var> is set to the gzipped page, for install().
#   plovane_install_package_docs()
#       Installs the copyright file, made from LICENSE, and the gzipped changelog into
#       share/doc/plovane/, where Debian looks for them.
#   plovane_debian_revision(<out-var>)
#       The Debian revision of the package ("1" of "0.1.0-1"), from the changelog's first
#       entry, whose upstream version must be the project's.
#
# The files are gzipped with -9n: the most compression, and no name or time in the header,
# so that two builds of the same sources give the same package.

include_guard(GLOBAL)
include(GNUInstallDirs)

# Sets the paths of the packaging files in the caller's scope. Found relative to this module,
# as the functions are called from several folders and the guard above lets only the first
# of those see this file's own variables.
macro(_plovane_packaging_sources)
  cmake_path(GET CMAKE_CURRENT_FUNCTION_LIST_DIR PARENT_PATH _plovane_packaging_root)
  set(_plovane_packaging_dir "${_plovane_packaging_root}/packaging")
  set(_plovane_changelog "${_plovane_packaging_dir}/changelog")
  find_program(PLOVANE_GZIP gzip REQUIRED)
endmacro()

function(plovane_add_man_page target out_var)
  _plovane_packaging_sources()
  find_program(PLOVANE_HELP2MAN help2man)
  if(NOT PLOVANE_HELP2MAN)
    message(FATAL_ERROR
      "help2man was not found. It writes the manual page plovane(1) from \"plovane --help\". "
      "Install it (apt-get install help2man; scripts/run and scripts/test do that), or "
      "configure with -DPLOVANE_MAN_PAGE=OFF to build without the manual page.")
  endif()
  set(include_file "${_plovane_packaging_dir}/plovane.h2m")
  set(page "${CMAKE_CURRENT_BINARY_DIR}/plovane.1")
  add_custom_command(OUTPUT "${page}.gz"
    COMMAND "${PLOVANE_HELP2MAN}" "--include=${include_file}" "--output=${page}"
            "$<TARGET_FILE:${target}>"
    COMMAND "${PLOVANE_GZIP}" -9nf "${page}"
    DEPENDS ${target} "${include_file}"
    COMMENT "Writing the manual page plovane(1) from plovane --help"
    VERBATIM)
  add_custom_target(${target}_man_page ALL DEPENDS "${page}.gz")
  set(${out_var} "${page}.gz" PARENT_SCOPE)
endfunction()

# Sets <out-var> to the text of LICENSE after its copyright line, in the form of a license
# paragraph of a machine-readable copyright file: every line indented by one space, an empty
# line written as " .". Sets <out-var>_HOLDER to what follows "Copyright (c)".
function(_plovane_licence_for_copyright_file out_var)
  _plovane_packaging_sources()
  set(licence_file "${_plovane_packaging_root}/LICENSE")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${licence_file}")
  file(READ "${licence_file}" licence)
  if(NOT licence MATCHES "Copyright \\(c\\) ([^\n]+)\n\n(.+)")
    message(FATAL_ERROR "${licence_file} has no line \"Copyright (c) ...\" followed by the licence")
  endif()
  set(holder "${CMAKE_MATCH_1}")
  string(STRIP "${CMAKE_MATCH_2}" text)
  string(REPLACE "\n" "\n " text " ${text}")
  string(REPLACE "\n \n" "\n .\n" text "${text}")
  set(${out_var} "${text}" PARENT_SCOPE)
  set(${out_var}_HOLDER "${holder}" PARENT_SCOPE)
endfunction()

function(plovane_install_package_docs)
  _plovane_packaging_sources()
  set(doc_dir "${CMAKE_INSTALL_DATADIR}/doc/plovane")
  set(out "${CMAKE_BINARY_DIR}/packaging")

  _plovane_licence_for_copyright_file(PLOVANE_LICENSE_TEXT)
  set(PLOVANE_COPYRIGHT "${PLOVANE_LICENSE_TEXT_HOLDER}")
  configure_file("${_plovane_packaging_dir}/copyright.in" "${out}/copyright" @ONLY)
  install(FILES "${out}/copyright" DESTINATION "${doc_dir}")

  add_custom_command(OUTPUT "${out}/changelog.Debian.gz"
    COMMAND "${CMAKE_COMMAND}" -E copy "${_plovane_changelog}" "${out}/changelog.Debian"
    COMMAND "${PLOVANE_GZIP}" -9nf "${out}/changelog.Debian"
    DEPENDS "${_plovane_changelog}"
    COMMENT "Compressing the Debian changelog"
    VERBATIM)
  add_custom_target(plovane_changelog ALL DEPENDS "${out}/changelog.Debian.gz")
  install(FILES "${out}/changelog.Debian.gz" DESTINATION "${doc_dir}")
endfunction()

function(plovane_debian_revision out_var)
  _plovane_packaging_sources()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${_plovane_changelog}")
  file(STRINGS "${_plovane_changelog}" first_line LIMIT_COUNT 1)
  if(NOT first_line MATCHES "^plovane \\(([^)]+)-([^)-]+)\\) ")
    message(FATAL_ERROR "${_plovane_changelog} does not begin with an entry "
                        "\"plovane (VERSION-REVISION) ...\": \"${first_line}\"")
  endif()
  if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "${_plovane_changelog} begins with version ${CMAKE_MATCH_1}, but the "
                        "project is version ${PROJECT_VERSION}: add an entry for it")
  endif()
  set(${out_var} "${CMAKE_MATCH_2}" PARENT_SCOPE)
endfunction()
