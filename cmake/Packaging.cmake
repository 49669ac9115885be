# Install rules (`cmake --install`) and the Debian package (`cpack -G DEB`, or `make package`
# at the top of the repository), and the tests that validate the desktop files.

set(VEXILO_APPSTREAM_ID invalid.vexilo.vexilo)
set(linux_data ${CMAKE_CURRENT_SOURCE_DIR}/data/linux)

install(TARGETS vexilo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
foreach(shipped ${VEXILO_SHIPPED_FILES})
  get_filename_component(shipped_folder ${shipped} DIRECTORY)
  install(FILES data/${shipped} DESTINATION ${CMAKE_INSTALL_DATADIR}/vexilo/${shipped_folder})
endforeach()
install(FILES ${linux_data}/vexilo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${linux_data}/${VEXILO_APPSTREAM_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES data/icons/vexilo.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size ${VEXILO_ICON_SIZES})
  install(FILES data/icons/${size}/vexilo.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
# Man pages are kept compressed, without a time stamp in the gzip header.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/vexilo.1.gz
  COMMAND gzip -9 -n -c ${linux_data}/vexilo.1 > ${CMAKE_BINARY_DIR}/vexilo.1.gz
  DEPENDS ${linux_data}/vexilo.1 VERBATIM)
add_custom_target(vexilo_man ALL DEPENDS ${CMAKE_BINARY_DIR}/vexilo.1.gz)
install(FILES ${CMAKE_BINARY_DIR}/vexilo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME vexilo)
set(CPACK_PACKAGE_VENDOR "The Vexilo developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "picture crawler: finds the pictures of web sites and downloads them")
set(CPACK_PACKAGE_DESCRIPTION
  "Vexilo walks a web site level by level in an embedded browser, queues every picture it\n\
finds and downloads them, showing each one as a thumbnail the moment it arrives.")
set(CPACK_PACKAGE_CONTACT "The Vexilo developers")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# The libraries' packages come from the binary (dpkg-shlibdeps); Qt's platform plugins are
# loaded at run time, where dpkg-shlibdeps cannot see them, and no window opens without them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Wallpaper and the folder dialog work without these; a desktop usually has them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)

if(VEXILO_BUILD_TESTS)
  add_test(NAME install_layout
    COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR}
      -DDEST=${CMAKE_BINARY_DIR}/install-check -P ${CMAKE_CURRENT_LIST_DIR}/CheckInstall.cmake)
  # Not one of the test kinds (tests/CMakeLists.txt): these need the whole program built.
  set_tests_properties(install_layout PROPERTIES LABELS package)
  find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
  find_program(APPSTREAMCLI appstreamcli)
  if(DESKTOP_FILE_VALIDATE AND APPSTREAMCLI)
    add_test(NAME desktop_entry_valid
      COMMAND ${DESKTOP_FILE_VALIDATE} ${linux_data}/vexilo.desktop)
    add_test(NAME appstream_metainfo_valid
      COMMAND ${APPSTREAMCLI} validate --no-net ${linux_data}/${VEXILO_APPSTREAM_ID}.metainfo.xml)
    set_tests_properties(desktop_entry_valid appstream_metainfo_valid PROPERTIES LABELS package)
  else()
    message(WARNING "desktop-file-validate or appstreamcli missing (scripts/install-deps "
      "installs them): the desktop entry and AppStream tests are not added.")
  endif()
endif()
