# The libraries of a Windows cross build, from Debian's packages: CLI11's headers and
# GoogleTest built from its sources. Only the CLI folder of /usr/include is exposed, since the
# rest of it holds Linux headers that must not shadow MinGW's.
set(VANDREL_WINDOWS_HEADERS ${PROJECT_BINARY_DIR}/windows-headers)
file(MAKE_DIRECTORY ${VANDREL_WINDOWS_HEADERS})
if(NOT EXISTS /usr/include/CLI/CLI.hpp)
  message(FATAL_ERROR "CLI11's headers are missing: install libcli11-dev")
endif()
file(CREATE_LINK /usr/include/CLI ${VANDREL_WINDOWS_HEADERS}/CLI SYMBOLIC)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
target_include_directories(CLI11::CLI11 INTERFACE ${VANDREL_WINDOWS_HEADERS})

if(VANDREL_TESTS)
  set(VANDREL_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources")
  if(NOT EXISTS ${VANDREL_GOOGLETEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest's sources are missing: install googletest")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${VANDREL_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
