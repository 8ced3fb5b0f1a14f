# The window for Windows, against a Qt built for MinGW (Debian carries none):
# ECUPROBE_QT_WINDOWS names its install prefix, or its .tar.xz, which is
# unpacked into the build tree once. Without it the Windows build has no window.
# Debian's own moc, uic and rcc are of the same Qt version and serve it.
set(qt_windows_default "$ENV{ECUPROBE_QT_WINDOWS}")
set(qt_windows_shared ${PROJECT_SOURCE_DIR}/../shared/qt-windows/qt6.4.2-mingw-x64.tar.xz)
if(NOT qt_windows_default AND EXISTS ${qt_windows_shared})
  set(qt_windows_default ${qt_windows_shared})
endif()
set(ECUPROBE_QT_WINDOWS "${qt_windows_default}" CACHE PATH
    "Qt for MinGW-w64: its install prefix or its .tar.xz (empty: no window for Windows)")

set(ECUPROBE_QT_PREFIX "")
if(ECUPROBE_QT_WINDOWS MATCHES "\\.tar\\.xz$")
  get_filename_component(qt_windows_name ${ECUPROBE_QT_WINDOWS} NAME)
  string(REGEX REPLACE "\\.tar\\.xz$" "" qt_windows_name ${qt_windows_name})
  set(ECUPROBE_QT_PREFIX ${CMAKE_BINARY_DIR}/${qt_windows_name})
  if(NOT EXISTS ${ECUPROBE_QT_PREFIX}/lib/cmake/Qt6/Qt6Config.cmake)
    message(STATUS "ecuprobe: unpacking ${ECUPROBE_QT_WINDOWS}")
    file(ARCHIVE_EXTRACT INPUT ${ECUPROBE_QT_WINDOWS} DESTINATION ${CMAKE_BINARY_DIR})
    # The offscreen platform of the tests takes its fonts from here.
    file(CREATE_LINK /usr/share/fonts/truetype/dejavu ${ECUPROBE_QT_PREFIX}/lib/fonts SYMBOLIC)
  endif()
elseif(ECUPROBE_QT_WINDOWS)
  set(ECUPROBE_QT_PREFIX ${ECUPROBE_QT_WINDOWS})
endif()

if(ECUPROBE_QT_PREFIX)
  if(NOT EXISTS ${ECUPROBE_QT_PREFIX}/lib/cmake/Qt6/Qt6Config.cmake)
    message(FATAL_ERROR "ECUPROBE_QT_WINDOWS: no Qt 6 in ${ECUPROBE_QT_PREFIX}")
  endif()
  list(APPEND CMAKE_FIND_ROOT_PATH ${ECUPROBE_QT_PREFIX})
  list(APPEND CMAKE_PREFIX_PATH ${ECUPROBE_QT_PREFIX})
  file(GLOB host_qt_configs /usr/lib/*/cmake/Qt6/Qt6Config.cmake)
  list(GET host_qt_configs 0 host_qt_config)
  cmake_path(GET host_qt_config PARENT_PATH host_qt_dir)
  cmake_path(GET host_qt_dir PARENT_PATH host_cmake_dir)
  set(QT_HOST_PATH /usr CACHE PATH "Where the build machine's Qt and its tools are")
  set(QT_HOST_PATH_CMAKE_DIR ${host_cmake_dir} CACHE PATH "The build machine's Qt CMake files")
  # Where Wine finds Qt's DLLs for the tests: WINEPATH, as a Windows path.
  string(REPLACE "/" "\\" ECUPROBE_QT_WINEPATH "Z:${ECUPROBE_QT_PREFIX}/bin")
  message(STATUS "ecuprobe: the window for Windows, with Qt in ${ECUPROBE_QT_PREFIX}")
else()
  message(STATUS "ecuprobe: no Qt for Windows (ECUPROBE_QT_WINDOWS): the window is not built")
endif()

# The programs without Qt are each a single .exe to copy; those with Qt use the
# MinGW runtime DLLs deployed beside Qt's own, so that one runtime serves both.
add_link_options("$<$<NOT:$<BOOL:$<TARGET_PROPERTY:ECUPROBE_QT_PROGRAM>>>:-static>")
