# Writes the manual page of one program from its --help and --version with
# help2man, adding the hand-written sections of INCLUDES and, when the program
# has commands, each command's own --help, so that the page never falls behind
# the program.
#
#   cmake -DHELP2MAN=help2man -DGZIP=gzip -DPROGRAM=path -DSUMMARY=text
#         -DINCLUDES=a.h2m|b.h2m -DOUTPUT=page.1.gz -P man_page.cmake

function(help_of out)
  execute_process(COMMAND ${PROGRAM} ${ARGN} --help OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} ${ARGN} --help ended with ${status}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The commands that a help text lists under "Subcommands:".
function(commands_in help out)
  string(REGEX MATCH "\nSubcommands:\n(  [^\n]*\n)+" block "${help}")
  string(REGEX MATCHALL "\n  [a-z][a-z0-9-]*" names "${block}")
  list(TRANSFORM names REPLACE "^\n  " "")
  set(${out} "${names}" PARENT_SCOPE)
endfunction()

# A help text as preformatted roff: nothing in it is taken for a request or an escape.
function(as_roff text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} ".nf\n${text}.fi\n" PARENT_SCOPE)
endfunction()

# One subsection a command, then its own commands (test dynamic, test accel...).
function(command_sections out)
  help_of(help ${ARGN})
  commands_in("${help}" subcommands)
  string(JOIN " " title ${ARGN})
  as_roff("${help}" body)
  set(sections ".SS \"${title}\"\n${body}")
  foreach(command IN LISTS subcommands)
    command_sections(more ${ARGN} ${command})
    string(APPEND sections "${more}")
  endforeach()
  set(${out} "${sections}" PARENT_SCOPE)
endfunction()

get_filename_component(work ${OUTPUT} DIRECTORY)
get_filename_component(name ${PROGRAM} NAME)
set(include_file ${work}/${name}.h2m)
set(page ${work}/${name}.1)

set(included "")
string(REPLACE "|" ";" INCLUDES "${INCLUDES}")
foreach(file IN LISTS INCLUDES)
  file(READ ${file} text)
  string(APPEND included "${text}")
endforeach()
help_of(help)
commands_in("${help}" commands)
if(commands)
  string(APPEND included "[COMMANDS]\n")
  foreach(command IN LISTS commands)
    command_sections(sections ${command})
    string(APPEND included "${sections}")
  endforeach()
endif()
file(WRITE ${include_file} "${included}")

# help2man writes in its locale's character set (by default C's, '?' for any
# other letter): the help texts quote the Russian captions.
execute_process(
  COMMAND ${HELP2MAN} --locale=C.UTF-8 --no-info --no-discard-stderr --section=1 --name=${SUMMARY}
          --include=${include_file} --output=${page} ${PROGRAM}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man ${PROGRAM} ended with ${status}")
endif()
execute_process(COMMAND ${GZIP} -9nc ${page} OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip ${page} ended with ${status}")
endif()
