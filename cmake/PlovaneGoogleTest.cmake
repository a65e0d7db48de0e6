# GoogleTest as GTest::gtest and GTest::gtest_main. A cross build has no GoogleTest built for
# its target, so there it is built here from Debian's sources with the same toolchain, and
# linked statically like everything else.
if(TARGET GTest::gtest)
  return()
endif()

if(NOT CMAKE_CROSSCOMPILING)
  find_package(GTest REQUIRED)
  return()
endif()

set(PLOVANE_GOOGLETEST_SOURCE /usr/src/googletest
    CACHE PATH "GoogleTest's sources, for a cross build (libgtest-dev installs them)")
if(NOT EXISTS ${PLOVANE_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest's sources were not found in ${PLOVANE_GOOGLETEST_SOURCE}: "
                      "install libgtest-dev or set PLOVANE_GOOGLETEST_SOURCE.")
endif()

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${PLOVANE_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL
                 SYSTEM)
# GoogleTest's own build names them GTest::gtest and GTest::gtest_main too.
