# Lays the Windows folder out in STAGE (`cmake --install` of BUILD, stripped),
# writes the lists of its files for the NSIS script and runs makensis on SCRIPT.
# cmake -DBUILD=... -DSTAGE=... -DMAKENSIS=... -DSCRIPT=... -DOUTPUT=... -P make_installer.cmake
if(NOT MAKENSIS)
  message(FATAL_ERROR "makensis is missing: scripts/bootstrap.sh installs Debian's nsis")
endif()
file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${STAGE} --strip
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

# Each folder's files under a SetOutPath into it; the uninstaller removes the
# same names, then the folders, deepest first, where they are empty.
file(GLOB_RECURSE files RELATIVE ${STAGE} ${STAGE}/*)
list(SORT files)
set(install "")
set(uninstall "")
set(folders "")
set(current "-")
foreach(file IN LISTS files)
  cmake_path(GET file PARENT_PATH folder)
  string(REPLACE "/" "\\" windows_file "${file}")
  string(REPLACE "/" "\\" windows_folder "${folder}")
  if(NOT folder STREQUAL current)
    set(current "${folder}")
    if(folder STREQUAL "")
      string(APPEND install "SetOutPath \"$INSTDIR\"\n")
    else()
      string(APPEND install "SetOutPath \"$INSTDIR\\${windows_folder}\"\n")
      list(APPEND folders "${windows_folder}")
    endif()
  endif()
  string(APPEND install "File \"${STAGE}/${file}\"\n")
  string(APPEND uninstall "Delete \"$INSTDIR\\${windows_file}\"\n")
endforeach()
list(REMOVE_DUPLICATES folders)
list(SORT folders ORDER DESCENDING)
foreach(folder IN LISTS folders)
  string(APPEND uninstall "RMDir \"$INSTDIR\\${folder}\"\n")
endforeach()
cmake_path(GET SCRIPT PARENT_PATH here)
file(WRITE ${here}/files-install.nsh "${install}")
file(WRITE ${here}/files-uninstall.nsh "${uninstall}")

execute_process(COMMAND ${MAKENSIS} -V2 -INPUTCHARSET UTF8 -DSTAGE=${STAGE} -DOUTFILE=${OUTPUT}
                        ${SCRIPT} COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "Installer: ${OUTPUT}")
