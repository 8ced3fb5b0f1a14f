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
