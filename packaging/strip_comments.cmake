# Run by cpack before it packs the staged files (CPACK_PRE_BUILD_SCRIPTS): takes
# the compiler's .comment section out of every staged program.
file(GLOB_RECURSE staged LIST_DIRECTORIES false ${CPACK_TEMPORARY_DIRECTORY}/*)
foreach(file IN LISTS staged)
  if(file MATCHES "/bin/[^/]+$")
    execute_process(COMMAND ${CPACK_ECUPROBE_OBJCOPY} --remove-section=.comment ${file}
                    RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "objcopy --remove-section=.comment ${file} ended with ${status}")
    endif()
  endif()
endforeach()
