# The files Plovane looks for beside its executable: the hand pointer HAND-M.CUR and the
# sample folders Samples/Folder1 and Samples/Folder2.
#
#   plovane_stage_runtime_files(<target>)
#       After every link of <target>, copies the files into the folder of its executable.
#   plovane_install_runtime_files(<target>)
#       Installs <target> with the same files beside it. On Windows all of it goes straight
#       into the install prefix. Elsewhere it goes into lib/plovane/, with the desktop entry
#       and the icon in two sizes; the command bin/plovane (src/cli) starts it.
#
# Git keeps no file times, so every copy of the samples, staged or installed, is stamped
# with the UTC times listed in samples/times.txt by plovane-stamp-times, a small tool of this
# project. The rows of a sample comparison depend on which copy of a file is newer, so
# without the stamp they would depend on the order of a checkout.

include_guard(GLOBAL)
include(GNUInstallDirs)

set(PLOVANE_INSTALL_PROGRAM_DIR "lib/plovane"
    CACHE STRING "Folder below the install prefix that holds the program and its files (not on Windows)")

# Sets the paths of the runtime files in the caller's scope. Files are found relative to this
# module, so the functions work from whichever folder calls them.
macro(_plovane_runtime_sources)
  cmake_path(GET CMAKE_CURRENT_FUNCTION_LIST_DIR PARENT_PATH _plovane_root)
  set(_plovane_cursor "${_plovane_root}/assets/HAND-M.CUR")
  set(_plovane_samples "${_plovane_root}/samples")
  set(_plovane_manifest "${_plovane_root}/samples/times.txt")
  set(_plovane_assets "${_plovane_root}/assets")
  file(GLOB_RECURSE _plovane_sample_files CONFIGURE_DEPENDS
       "${_plovane_samples}/Folder1/*" "${_plovane_samples}/Folder2/*")
  if(NOT TARGET plovane-stamp-times)
    add_executable(plovane-stamp-times "${_plovane_root}/tools/stamp_times.cpp")
    target_compile_features(plovane-stamp-times PRIVATE cxx_std_20)
    # The caller's folder may switch on Qt's code generators; the tool has no Qt.
    set_target_properties(plovane-stamp-times PROPERTIES AUTOMOC OFF AUTORCC OFF AUTOUIC OFF)
  endif()
  # A cross build can run the tool only through an emulator; without one the copies keep
  # the time they were copied at.
  set(_plovane_can_stamp TRUE)
  if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
    set(_plovane_can_stamp FALSE)
    message(WARNING "Cross-compiling without CMAKE_CROSSCOMPILING_EMULATOR: the sample files "
                    "beside the program will not get their fixed times.")
  endif()
endmacro()

function(plovane_stage_runtime_files target)
  _plovane_runtime_sources()
  set(dir "$<TARGET_FILE_DIR:${target}>")
  set(stamp)
  if(_plovane_can_stamp)
    # Named by its target, so that a cross build runs it through the emulator.
    set(stamp COMMAND plovane-stamp-times "${_plovane_manifest}" "${dir}/Samples")
    add_dependencies(${target} plovane-stamp-times)
  endif()
  # The samples are replaced as a whole: a file left over from an earlier build would
  # add a row, and would have no time to be stamped with.
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND "${CMAKE_COMMAND}" -E copy_if_different "${_plovane_cursor}" "${dir}/HAND-M.CUR"
    COMMAND "${CMAKE_COMMAND}" -E rm -rf "${dir}/Samples"
    COMMAND "${CMAKE_COMMAND}" -E copy_directory "${_plovane_samples}/Folder1"
            "${dir}/Samples/Folder1"
    COMMAND "${CMAKE_COMMAND}" -E copy_directory "${_plovane_samples}/Folder2"
            "${dir}/Samples/Folder2"
    ${stamp}
    COMMENT "Placing HAND-M.CUR and the sample folders beside ${target}"
    VERBATIM)
  # A post-build step runs only when the target links, so a changed runtime file has to
  # make it link again.
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS
               "${_plovane_cursor}" "${_plovane_manifest}" ${_plovane_sample_files})
endfunction()

function(plovane_install_runtime_files target)
  _plovane_runtime_sources()
  if(WIN32)
    set(program_dir ".")
  else()
    set(program_dir "${PLOVANE_INSTALL_PROGRAM_DIR}")
  endif()
  # Written into install scripts, so the DESTDIR and prefix are those of the install run.
  set(installed_dir "\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${program_dir}")

  install(TARGETS ${target} RUNTIME DESTINATION "${program_dir}")
  install(FILES "${_plovane_cursor}" DESTINATION "${program_dir}")
  # As in the build folder, an earlier install's sample files must not survive.
  install(CODE "file(REMOVE_RECURSE \"${installed_dir}/Samples\")")
  install(DIRECTORY "${_plovane_samples}/Folder1" "${_plovane_samples}/Folder2"
          DESTINATION "${program_dir}/Samples")
  if(_plovane_can_stamp)
    set(tool "")
    foreach(word IN LISTS CMAKE_CROSSCOMPILING_EMULATOR)
      string(APPEND tool "\"${word}\" ")
    endforeach()
    install(CODE "
      execute_process(
        COMMAND ${tool}\"$<TARGET_FILE:plovane-stamp-times>\" \"${_plovane_manifest}\"
                \"${installed_dir}/Samples\"
        COMMAND_ERROR_IS_FATAL ANY)")
  endif()

  if(NOT WIN32)
    # bin/plovane is the command (src/cli), which hands everything but "compare" to the
    # window program here.
    install(FILES "${_plovane_assets}/plovane.desktop"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
    install(FILES "${_plovane_assets}/plovane.png"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps")
    install(FILES "${_plovane_assets}/plovane-48.png"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps" RENAME plovane.png)
  endif()
endfunction()
