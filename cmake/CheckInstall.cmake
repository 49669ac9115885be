# Installs the build into a fresh folder and checks that the installed program finds what it
# needs there: every picture the guide shows, the desktop entry's icon, the AppStream file's
# desktop entry, and the shipped files the program reads.
# cmake -DBUILD_DIR=<build folder> -DDEST=<scratch folder> -P CheckInstall.cmake
file(REMOVE_RECURSE ${DEST})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${DEST}
  RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
  message(FATAL_ERROR "cmake --install failed")
endif()

set(share ${DEST}/share)
foreach(needed bin/vexilo share/vexilo/templet.htm share/vexilo/blank.bmp
    share/vexilo/help.html share/applications/vexilo.desktop
    share/icons/hicolor/scalable/apps/vexilo.svg share/icons/hicolor/48x48/apps/vexilo.png
    share/man/man1/vexilo.1.gz)
  if(NOT EXISTS ${DEST}/${needed})
    message(FATAL_ERROR "not installed: ${needed}")
  endif()
endforeach()

file(READ ${share}/vexilo/help.html guide)
string(REGEX MATCHALL "src=\"[^\"]+\"" pictures "${guide}")
list(LENGTH pictures count)
if(count EQUAL 0)
  message(FATAL_ERROR "the guide shows no pictures")
endif()
foreach(picture ${pictures})
  string(REGEX REPLACE "src=\"([^\"]+)\"" "\\1" path "${picture}")
  if(NOT EXISTS ${share}/vexilo/${path})
    message(FATAL_ERROR "the guide shows ${path}, which is not installed")
  endif()
endforeach()

file(STRINGS ${share}/applications/vexilo.desktop icon REGEX "^Icon=")
string(REPLACE "Icon=" "" icon "${icon}")
if(NOT EXISTS ${share}/icons/hicolor/scalable/apps/${icon}.svg)
  message(FATAL_ERROR "the desktop entry's icon ${icon} is not installed")
endif()

file(GLOB metainfo ${share}/metainfo/*.metainfo.xml)
file(READ ${metainfo} component)
string(REGEX MATCH "<launchable type=\"desktop-id\">([^<]+)</launchable>" found "${component}")
if(NOT EXISTS ${share}/applications/${CMAKE_MATCH_1})
  message(FATAL_ERROR "the AppStream file launches ${CMAKE_MATCH_1}, which is not installed")
endif()
