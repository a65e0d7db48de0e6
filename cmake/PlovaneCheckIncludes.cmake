# Fails when a file of the room ROOM includes a header of a room outside REACHABLE (the room
# itself and the rooms it links). Run by the build: cmake -DROOM=scan "-DREACHABLE=scan;..."
# -DSOURCE_ROOT=<src> -DSTAMP=<file> -P PlovaneCheckIncludes.cmake
cmake_minimum_required(VERSION 3.25)

# The room a path under SOURCE_ROOT belongs to: its nearest folder with a CMakeLists.txt.
function(room_of relative_folder out_var)
  set(folder "${relative_folder}")
  while(NOT folder STREQUAL "" AND NOT EXISTS "${SOURCE_ROOT}/${folder}/CMakeLists.txt")
    get_filename_component(folder "${folder}" DIRECTORY)
  endwhile()
  set(${out_var} "${folder}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files RELATIVE "${SOURCE_ROOT}" "${SOURCE_ROOT}/${ROOM}/*.h"
     "${SOURCE_ROOT}/${ROOM}/*.cpp")
set(faults "")
foreach(file IN LISTS files)
  get_filename_component(file_folder "${file}" DIRECTORY)
  room_of("${file_folder}" file_room)
  if(NOT file_room STREQUAL ROOM)
    continue()  # a room of its own, checked with its own rules
  endif()
  file(STRINGS "${SOURCE_ROOT}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+/")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" header "${line}")
    if(NOT EXISTS "${SOURCE_ROOT}/${header}")
      continue()  # not a header of the program's own
    endif()
    get_filename_component(header_folder "${header}" DIRECTORY)
    room_of("${header_folder}" header_room)
    if(NOT header_room IN_LIST REACHABLE)
      string(APPEND faults "  src/${file}: #include \"${header}\"\n")
    endif()
  endforeach()
endforeach()

if(faults)
  string(REPLACE ";" ", " rooms "${REACHABLE}")
  message(FATAL_ERROR
          "src/${ROOM} may include headers of ${rooms} only; these reach elsewhere:\n${faults}")
endif()
file(TOUCH "${STAMP}")
