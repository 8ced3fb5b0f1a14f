# The three programs and what a desktop and a shell expect around them: the menu
# entry, icons, AppStream metainfo, the types of the saved files, manual pages,
# bash completion, the udev rule for FTDI adapters and the docs.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(GZIP gzip REQUIRED)

set(here ${CMAKE_CURRENT_SOURCE_DIR})
set(made ${CMAKE_CURRENT_BINARY_DIR})
set(generated "")
# The AppStream id, which the desktop entry's name repeats.
set(app_id io.github.ecuprobe.ecuprobe)

install(TARGETS ecuprobe ecuprobe-cli ecu-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${here}/${app_id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${here}/${app_id}.metainfo.xml.in ${made}/${app_id}.metainfo.xml @ONLY)
install(FILES ${made}/${app_id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${here}/ecuprobe-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME ecuprobe.xml)

set(icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${here}/ecuprobe.svg DESTINATION ${icons}/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  set(png ${made}/icons/${size}/ecuprobe.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${made}/icons/${size}
    COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${here}/ecuprobe.svg
    DEPENDS ${here}/ecuprobe.svg VERBATIM)
  install(FILES ${png} DESTINATION ${icons}/${size}x${size}/apps)
  list(APPEND generated ${png})
endforeach()

# ecuprobe_man_page(<program> <summary> <sections>...): its page from its --help,
# with the hand-written sections of packaging/man/<sections>.roff.
function(ecuprobe_man_page program summary)
  list(TRANSFORM ARGN PREPEND ${here}/man/ OUTPUT_VARIABLE sections)
  list(TRANSFORM sections APPEND .roff)
  set(page ${made}/man/${program}.1.gz)
  add_custom_command(OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${made}/man
    COMMAND ${Python3_EXECUTABLE} ${here}/man_page.py --program $<TARGET_FILE:${program}>
            --summary ${summary} --date ${ECUPROBE_RELEASE_DATE} --output ${page} ${sections}
    DEPENDS ${program} ${here}/man_page.py ${sections} VERBATIM)
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  set(generated ${generated} ${page} PARENT_SCOPE)
endfunction()
ecuprobe_man_page(ecuprobe "desktop diagnostic tester for the MIKAS 5.4 and 7.1 engine ECUs"
                  serial-access ecuprobe)
ecuprobe_man_page(ecuprobe-cli "diagnostic tester for the MIKAS 5.4 and 7.1 engine ECUs"
                  serial-access ecuprobe-cli)
ecuprobe_man_page(ecu-sim "simulated MIKAS 5.4 / 7.1 ECU with an echoing K-line adapter"
                  ecu-sim)

install(FILES ${here}/bash-completion/ecuprobe-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
# udev's own folder under the prefix, never a multiarch library folder.
install(FILES ${here}/udev/99-ecuprobe-ftdi-latency.rules DESTINATION lib/udev/rules.d)

# The docs: this package's README, the manual the window shows on F1 (registered
# with doc-base), the changelog and the machine-readable copyright.
configure_file(${here}/README ${made}/README @ONLY)
configure_file(${here}/copyright.in ${made}/copyright @ONLY)
set(changelog ${made}/changelog.gz)
add_custom_command(OUTPUT ${changelog}
  COMMAND ${GZIP} -9nc ${here}/changelog > ${changelog}
  DEPENDS ${here}/changelog)
list(APPEND generated ${changelog})
install(FILES ${made}/README ${PROJECT_SOURCE_DIR}/src/ui/help/manual.html ${changelog}
              ${made}/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${here}/ecuprobe.doc-base DESTINATION ${CMAKE_INSTALL_DATADIR}/doc-base
        RENAME ecuprobe-manual)

add_custom_target(ecuprobe_install_data ALL DEPENDS ${generated})
