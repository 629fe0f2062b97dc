cmake_minimum_required(VERSION 3.22)
# Installs the build into a fresh prefix and checks that a Linux desktop finds the window there:
# the program, its desktop entry and its icon in every size.
# cmake -DBUILD_DIR=... -DPREFIX=... -P check_install.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

set(expected bin/vandrel share/applications/org.vandrel.Vandrel.desktop
             share/icons/hicolor/scalable/apps/vandrel.svg)
foreach(size 16 22 24 32 48 64 128 256)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/vandrel.png)
endforeach()
foreach(path IN LISTS expected)
  if(NOT EXISTS ${PREFIX}/${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()

file(STRINGS ${PREFIX}/share/applications/org.vandrel.Vandrel.desktop entry)
foreach(line "[Desktop Entry]" "Type=Application" "Exec=vandrel" "Icon=vandrel")
  if(NOT line IN_LIST entry)
    message(FATAL_ERROR "the desktop entry lacks ${line}")
  endif()
endforeach()

file(READ ${PREFIX}/share/icons/hicolor/48x48/apps/vandrel.png header LIMIT 24 HEX)
# PNG signature, then the IHDR chunk's width and height: 48 by 48.
if(NOT header MATCHES "^89504e470d0a1a0a0000000d4948445200000030" OR
   NOT header MATCHES "00000030$")
  message(FATAL_ERROR "the 48 pixel icon is not a 48 by 48 PNG: ${header}")
endif()
file(REMOVE_RECURSE ${PREFIX})
