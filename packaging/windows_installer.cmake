# `make windows-installer`: build/windows/ecuprobe-<version>-setup.exe, made by
# NSIS (Debian's makensis) from the folder `cmake --install` lays out in
# build/windows/deploy; each file of that folder, and only those, is installed
# and uninstalled by name.
find_program(MAKENSIS makensis)
configure_file(${windows}/ecuprobe.nsi.in ${CMAKE_CURRENT_BINARY_DIR}/ecuprobe.nsi @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${windows}/ecuprobe.nsi.in)
set(ECUPROBE_INSTALLER ${CMAKE_BINARY_DIR}/ecuprobe-${PROJECT_VERSION}-setup.exe)
add_custom_target(windows-installer
  COMMAND ${CMAKE_COMMAND} -DBUILD=${CMAKE_BINARY_DIR} -DSTAGE=${CMAKE_BINARY_DIR}/deploy
          -DMAKENSIS=${MAKENSIS} -DSCRIPT=${CMAKE_CURRENT_BINARY_DIR}/ecuprobe.nsi
          -DOUTPUT=${ECUPROBE_INSTALLER} -P ${windows}/make_installer.cmake
  DEPENDS ecuprobe ecuprobe-cli
  COMMENT "NSIS installer ${ECUPROBE_INSTALLER}"
  VERBATIM)
