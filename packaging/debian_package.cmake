# The .deb of `make package` (cpack -G DEB in the release build): its
# dependencies computed by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${ECUPROBE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own dialogs and buttons in Russian, like the rest of the window; TAB
# completing ecuprobe-cli's commands and options.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, bash-completion")
# strip leaves the compiler's .comment section in the programs, which a Debian
# package goes without: removed from the staged programs before they are packed.
set(CPACK_ECUPROBE_OBJCOPY ${CMAKE_OBJCOPY})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/strip_comments.cmake)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Lines as they stand in the control file: at most 80 columns there.
set(CPACK_PACKAGE_DESCRIPTION
    "ECUPROBE talks to the MIKAS 5.4 and MIKAS 7.1 engine control units of GAZ
cars over a serial K-line adapter at 9600 bit/s. It shows the live engine
values, reads and clears the fault codes, switches the ECU's outputs, sets
the control parameters, runs the run-up, acceleration and coast-down tests
and writes their reports.

The package holds the desktop tester ecuprobe, the same tester from a
terminal (ecuprobe-cli) and a simulated ECU (ecu-sim) for trying both
without a car.")
