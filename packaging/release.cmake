# The release being built: the top entry of packaging/changelog, which must name
# the project's version (a release is one version and one changelog entry), gives
# the packages' maintainer (ECUPROBE_MAINTAINER), date (ECUPROBE_RELEASE_DATE) and
# year (ECUPROBE_RELEASE_YEAR).
file(STRINGS ${CMAKE_CURRENT_SOURCE_DIR}/changelog entries REGEX "^(ecuprobe | -- )")
list(GET entries 0 heading)
list(GET entries 1 trailer)
string(REPLACE "." "\\." version_pattern ${PROJECT_VERSION})
if(NOT heading MATCHES "^ecuprobe \\(${version_pattern}\\) ")
  message(FATAL_ERROR "packaging/changelog: its top entry is not version ${PROJECT_VERSION}: "
                      "add an entry for it")
endif()
if(NOT trailer MATCHES "^ -- (.+>)  [A-Z][a-z][a-z], ([0-9]?[0-9]) ([A-Z][a-z][a-z]) ([0-9]+) ")
  message(FATAL_ERROR "packaging/changelog: no maintainer and date under the top entry")
endif()
set(ECUPROBE_MAINTAINER ${CMAKE_MATCH_1})
set(day ${CMAKE_MATCH_2})
set(year ${CMAKE_MATCH_4})
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months ${CMAKE_MATCH_3} month)
math(EXPR month "${month} + 1")
foreach(part day month)
  string(LENGTH ${${part}} digits)
  if(digits EQUAL 1)
    set(${part} 0${${part}})
  endif()
endforeach()
set(ECUPROBE_RELEASE_YEAR ${year})
set(ECUPROBE_RELEASE_DATE ${year}-${month}-${day})
