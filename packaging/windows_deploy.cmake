# The Windows folder that runs as it stands, installed by `cmake --install` and
# packed twice: the portable zip of `make windows-package` (cpack -G ZIP) and
# the NSIS installer of `make windows-installer` (packaging/windows_installer.cmake).
# ecuprobe-cli.exe always; with the Qt for Windows also ecuprobe.exe with Qt's
# DLLs, its platform and style plugins, its Russian texts, the MinGW runtime,
# the manual and Qt's licence notice. Texts are Windows text files (UTF-8 with a
# byte order mark for Notepad, CR LF).
install(TARGETS ecuprobe-cli RUNTIME DESTINATION .)

# ecuprobe_windows_text(<output> [CONFIGURE] <input>...): the inputs one after
# another; with CONFIGURE, @PROJECT_VERSION@ and the like filled in.
function(ecuprobe_windows_text output)
  cmake_parse_arguments(ARG "CONFIGURE" "" "" ${ARGN})
  string(ASCII 239 187 191 text)
  foreach(input IN LISTS ARG_UNPARSED_ARGUMENTS)
    file(READ ${input} part)
    if(ARG_CONFIGURE)
      string(CONFIGURE "${part}" part @ONLY)
    endif()
    string(APPEND text "${part}")
  endforeach()
  string(REGEX REPLACE "\r?\n" "\r\n" text "${text}")
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${output} "${text}")
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${output} DESTINATION .)
endfunction()

set(windows ${CMAKE_CURRENT_SOURCE_DIR}/windows)
set(readme_parts ${windows}/README.txt)
# The window's part, under the title, where the window is built.
set(ECUPROBE_WINDOW_SECTION "")
if(TARGET ecuprobe)
  file(READ ${windows}/README-window.txt window_part)
  string(CONFIGURE "${window_part}" ECUPROBE_WINDOW_SECTION @ONLY)
endif()
if(ECUPROBE_LICENSE_FILE)
  list(APPEND readme_parts ${windows}/README-licence.txt)
  ecuprobe_windows_text(LICENSE.txt ${ECUPROBE_LICENSE_FILE})
endif()
ecuprobe_windows_text(README.txt CONFIGURE ${readme_parts})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${readme_parts}
             ${windows}/README-window.txt ${windows}/README-licence.txt ${ECUPROBE_LICENSE_FILE})

# The icon of the programs, from the same picture as on Linux, and their version.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(ECUPROBE_ICO ${CMAKE_CURRENT_BINARY_DIR}/ecuprobe.ico)
set(icon_pngs "")
foreach(size 16 24 32 48 256)
  set(png ${CMAKE_CURRENT_BINARY_DIR}/icon-${size}.png)
  execute_process(COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --output=${png}
                          ${CMAKE_CURRENT_SOURCE_DIR}/ecuprobe.svg COMMAND_ERROR_IS_FATAL ANY)
  list(APPEND icon_pngs ${png})
endforeach()
execute_process(COMMAND ${Python3_EXECUTABLE} ${windows}/make_ico.py ${ECUPROBE_ICO} ${icon_pngs}
                COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${CMAKE_CURRENT_SOURCE_DIR}/ecuprobe.svg ${windows}/make_ico.py)
function(ecuprobe_windows_resources target description)
  set(ECUPROBE_FILE_DESCRIPTION ${description})
  set(ECUPROBE_FILE_NAME ${target}.exe)
  configure_file(${windows}/ecuprobe.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${target}.rc TARGET_DIRECTORY ${target}
                              PROPERTIES OBJECT_DEPENDS ${ECUPROBE_ICO})
endfunction()
ecuprobe_windows_resources(ecuprobe-cli "ECUPROBE: тестер ЭБУ МИКАС для командной строки")

if(TARGET ecuprobe)
  ecuprobe_windows_resources(ecuprobe "ECUPROBE: тестер ЭБУ МИКАС 5.4 и 7.1")
  install(TARGETS ecuprobe RUNTIME DESTINATION .)
  set(qt ${ECUPROBE_QT_PREFIX})
  set(qt_dlls Qt6Core Qt6Gui Qt6Widgets Qt6PrintSupport Qt6Charts)
  list(TRANSFORM qt_dlls REPLACE "(.+)" "${qt}/bin/\\1.dll")
  install(FILES ${qt_dlls} ${qt}/bin/libgcc_s_seh-1.dll ${qt}/bin/libstdc++-6.dll
                ${qt}/bin/libwinpthread-1.dll ${windows}/qt.conf DESTINATION .)
  install(FILES ${qt}/plugins/platforms/qwindows.dll DESTINATION platforms)
  install(FILES ${qt}/plugins/styles/qwindowsvistastyle.dll DESTINATION styles)
  install(FILES ${qt}/translations/qtbase_ru.qm DESTINATION translations)
  install(FILES ${PROJECT_SOURCE_DIR}/src/ui/help/manual.html DESTINATION .)
  ecuprobe_windows_text(Qt-LGPL.txt ${windows}/Qt-LGPL-notice.txt /usr/share/common-licenses/LGPL-3)
  include(windows_installer.cmake)
endif()

# What the folder is made of, built before cpack packs it.
add_custom_target(windows-folder)
add_dependencies(windows-folder ecuprobe-cli)
if(TARGET ecuprobe)
  add_dependencies(windows-folder ecuprobe)
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME ecuprobe-${PROJECT_VERSION}-windows-x64)
