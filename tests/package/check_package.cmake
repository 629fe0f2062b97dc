cmake_minimum_required(VERSION 3.22)
# Checks a built Debian package: exactly the files a desktop and Debian expect, with the right
# owners and modes; its control fields; and manual pages, licence, changelog and metainfo that
# belong to this version and to each other.
# cmake -DDEB=vandrel_<version>_<arch>.deb -DVERSION=<version> -DLICENSE=LICENSE -DWORK=<dir>
#       -P check_package.cmake
# Every failed check is reported (SEND_ERROR), and any makes the script fail.
function(run output)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    string(JOIN " " command ${ARGN})
    message(FATAL_ERROR "${command} failed (${status}): ${err}")
  endif()
  set(${output} "${out}" PARENT_SCOPE)
endfunction()

if(NOT EXISTS "${DEB}")
  message(FATAL_ERROR "no package at ${DEB}")
endif()

# Files, owners and modes.
set(expected
    usr/bin/vandrel
    usr/bin/vandrel-cli
    usr/share/applications/org.vandrel.Vandrel.desktop
    usr/share/doc/vandrel/changelog.gz
    usr/share/doc/vandrel/copyright
    usr/share/icons/hicolor/scalable/apps/vandrel.svg
    usr/share/man/man1/vandrel-cli.1.gz
    usr/share/man/man1/vandrel.1.gz
    usr/share/metainfo/org.vandrel.Vandrel.metainfo.xml)
foreach(size 16 22 24 32 48 64 128 256)
  list(APPEND expected usr/share/icons/hicolor/${size}x${size}/apps/vandrel.png)
endforeach()

run(contents dpkg-deb --contents ${DEB})
string(REPLACE "\n" ";" entries "${contents}")
set(files)
foreach(entry IN LISTS entries)
  if(entry STREQUAL "")
    continue()
  endif()
  if(NOT entry MATCHES "^([^ ]+) ([^ ]+) +[0-9]+ [^ ]+ [^ ]+ \\./(.*)$")
    message(SEND_ERROR "cannot read the package's entry: ${entry}")
    continue()
  endif()
  set(mode ${CMAKE_MATCH_1})
  set(owner ${CMAKE_MATCH_2})
  set(path ${CMAKE_MATCH_3})
  if(NOT owner STREQUAL "root/root")
    message(SEND_ERROR "${path} belongs to ${owner}, not root/root")
  endif()
  if(mode MATCHES "^d")
    set(wanted drwxr-xr-x)
  elseif(path MATCHES "^usr/bin/")
    set(wanted -rwxr-xr-x)
  else()
    set(wanted -rw-r--r--)
  endif()
  if(NOT mode STREQUAL wanted)
    message(SEND_ERROR "${path} has mode ${mode}, not ${wanted}")
  endif()
  if(NOT mode MATCHES "^d")
    list(APPEND files ${path})
  endif()
endforeach()
set(missing ${expected})
list(REMOVE_ITEM missing ${files})
set(unexpected ${files})
list(REMOVE_ITEM unexpected ${expected})
if(missing)
  message(SEND_ERROR "not in the package: ${missing}")
endif()
if(unexpected)
  message(SEND_ERROR "in the package unasked: ${unexpected}")
endif()

# Control fields.
run(architecture dpkg --print-architecture)
string(STRIP "${architecture}" architecture)
foreach(field Package Version Architecture Section Priority Maintainer Depends Description)
  run(value dpkg-deb --field ${DEB} ${field})
  string(STRIP "${value}" value)
  set(field_${field} "${value}")
endforeach()
set(wanted_Package vandrel)
set(wanted_Version ${VERSION})
set(wanted_Architecture ${architecture})
set(wanted_Section mail)
set(wanted_Priority optional)
foreach(field Package Version Architecture Section Priority)
  if(NOT field_${field} STREQUAL wanted_${field})
    message(SEND_ERROR "${field} is \"${field_${field}}\", not \"${wanted_${field}}\"")
  endif()
endforeach()
if(NOT field_Maintainer MATCHES "^[^<>]+ <[^<> ]+@[^<> ]+>$")
  message(SEND_ERROR "Maintainer is not a name and an address: ${field_Maintainer}")
endif()
# Found by dpkg-shlibdeps; without them the window would not start on a fresh system.
foreach(library libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6)
  string(REPLACE "+" "\\+" pattern ${library})
  if(NOT field_Depends MATCHES "(^|, )${pattern}( |,|$)")
    message(SEND_ERROR "Depends lacks ${library}: ${field_Depends}")
  endif()
endforeach()
# Named by us: Qt's German for its own widgets (the file chooser, standard buttons).
if(NOT field_Depends MATCHES "(^|, )qt6-translations-l10n( |,|$)")
  message(SEND_ERROR "Depends lacks qt6-translations-l10n: ${field_Depends}")
endif()
if(NOT field_Description MATCHES "^[^\n]+\n ")
  message(SEND_ERROR "the Description has no long text: ${field_Description}")
endif()

# What the files say.
set(root ${WORK}/root)
file(REMOVE_RECURSE ${root})
run(ignored dpkg-deb --extract ${DEB} ${root})

function(expect_in text what)
  foreach(wanted IN LISTS ARGN)
    string(FIND "${text}" "${wanted}" at)
    if(at EQUAL -1)
      message(SEND_ERROR "${what} lacks: ${wanted}")
    endif()
  endforeach()
endfunction()

# Made from the programs' own --help and --version.
run(page gzip -dc ${root}/usr/share/man/man1/vandrel-cli.1.gz)
expect_in("${page}" "vandrel-cli.1" ".TH VANDREL-CLI" "\"vandrel-cli ${VERSION}\""
          "\\-\\-attachments\\-dir" "\\-\\-thunderbird" "\\-\\-version" ".BR vandrel (1)")
run(page gzip -dc ${root}/usr/share/man/man1/vandrel.1.gz)
expect_in("${page}" "vandrel.1" ".TH VANDREL " "\"vandrel ${VERSION}\"" "\\-\\-version"
          "vandrel\\-cli (1)")

run(changelog gzip -dc ${root}/usr/share/doc/vandrel/changelog.gz)
if(NOT changelog MATCHES "^vandrel \\(${VERSION}\\) ")
  message(SEND_ERROR "the changelog does not start with this version")
endif()

# The copyright file carries LICENSE's terms word for word.
file(READ ${root}/usr/share/doc/vandrel/copyright copyright)
file(READ ${LICENSE} license)
expect_in("${copyright}" "the copyright file" "Copyright: " "the Vandrel developers"
          "License: Expat")
foreach(text license copyright)
  string(FIND "${${text}}" "Permission is hereby granted" start)
  string(SUBSTRING "${${text}}" ${start} -1 terms)
  string(REGEX REPLACE "\n \\.\n" "\n" terms "${terms}")
  string(REGEX REPLACE "[ \n]+" " " terms_${text} "${terms}")
  string(STRIP "${terms_${text}}" terms_${text})
endforeach()
if(NOT terms_license STREQUAL terms_copyright)
  message(SEND_ERROR "the copyright file's terms differ from LICENSE's:\n${terms_copyright}")
endif()

# The metainfo names this release and a desktop entry that the package holds.
file(READ ${root}/usr/share/metainfo/org.vandrel.Vandrel.metainfo.xml metainfo)
expect_in("${metainfo}" "the metainfo" "<id>org.vandrel.Vandrel</id>"
          "<project_license>MIT</project_license>" "<release version=\"${VERSION}\"")
if(metainfo MATCHES "<launchable type=\"desktop-id\">([^<]+)</launchable>")
  set(entry ${root}/usr/share/applications/${CMAKE_MATCH_1})
  if(NOT EXISTS ${entry})
    message(SEND_ERROR "the metainfo launches ${CMAKE_MATCH_1}, which the package lacks")
  else()
    file(STRINGS ${entry} lines)
    foreach(line "Exec=vandrel" "Icon=vandrel")
      if(NOT line IN_LIST lines)
        message(SEND_ERROR "the desktop entry lacks ${line}")
      endif()
    endforeach()
  endif()
else()
  message(SEND_ERROR "the metainfo names no desktop entry to launch")
endif()

file(REMOVE_RECURSE ${root})
