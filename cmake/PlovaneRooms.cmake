# The rooms of src/: one static library each, plovane_<room>, linking only the rooms below it.
#
#   plovane_add_room(<room> [BELOW <room>...] SOURCES <file>...)
#
# <room> is the folder under src/ ("scan", "window/qt"); the target is plovane_<room> with
# "/" turned into "_". Every file of the room includes headers of its own room and of the
# rooms it links, directly or through them, and no others: the build checks the includes of
# the room's files each time they change, and fails with the offending line. A room's files
# are those of its folder and of its subfolders that are not rooms of their own (posix/,
# win32/).

set(PLOVANE_ROOM_CHECK_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/PlovaneCheckIncludes.cmake)

function(plovane_room_target room out_var)
  string(REPLACE "/" "_" name "plovane_${room}")
  set(${out_var} ${name} PARENT_SCOPE)
endfunction()

function(plovane_add_room room)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "BELOW;SOURCES")
  plovane_room_target(${room} target)
  add_library(${target} STATIC ${arg_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_features(${target} PUBLIC cxx_std_20)

  set(reachable ${room})
  foreach(below IN LISTS arg_BELOW)
    plovane_room_target(${below} below_target)
    target_link_libraries(${target} PUBLIC ${below_target})
    get_target_property(below_reachable ${below_target} PLOVANE_REACHABLE_ROOMS)
    list(APPEND reachable ${below_reachable})
  endforeach()
  list(REMOVE_DUPLICATES reachable)
  set_target_properties(${target} PROPERTIES PLOVANE_REACHABLE_ROOMS "${reachable}")

  set(folder ${PROJECT_SOURCE_DIR}/src/${room})
  file(GLOB_RECURSE files CONFIGURE_DEPENDS ${folder}/*.h ${folder}/*.cpp)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/includes_checked.stamp)
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DROOM=${room} "-DREACHABLE=${reachable}"
            -DSOURCE_ROOT=${PROJECT_SOURCE_DIR}/src -DSTAMP=${stamp}
            -P ${PLOVANE_ROOM_CHECK_SCRIPT}
    DEPENDS ${files} ${PLOVANE_ROOM_CHECK_SCRIPT}
    COMMENT "Checking the includes of src/${room}"
    VERBATIM)
  target_sources(${target} PRIVATE ${stamp})
endfunction()
