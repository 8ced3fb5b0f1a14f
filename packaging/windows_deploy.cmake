# The zip of `make windows-package` (cpack -G ZIP in the windows build):
# ecuprobe-cli.exe, a README.txt in Russian and the licence, as Windows text
# files (UTF-8 with a byte order mark for Notepad, CR LF).
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

set(readme ${CMAKE_CURRENT_SOURCE_DIR}/windows/README.txt)
if(ECUPROBE_LICENSE_FILE)
  ecuprobe_windows_text(README.txt CONFIGURE ${readme}
                        ${CMAKE_CURRENT_SOURCE_DIR}/windows/README-licence.txt)
  ecuprobe_windows_text(LICENSE.txt ${ECUPROBE_LICENSE_FILE})
else()
  ecuprobe_windows_text(README.txt CONFIGURE ${readme})
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${readme}
             ${CMAKE_CURRENT_SOURCE_DIR}/windows/README-licence.txt ${ECUPROBE_LICENSE_FILE})

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME ecuprobe-cli-${PROJECT_VERSION}-windows-x64)
