# Reads the project version from the public version header, before project().
# Sets SKEL_VERSION (major.minor.patch).

set(skel_version_header ${CMAKE_CURRENT_LIST_DIR}/../include/skelvane_version.h)
file(STRINGS ${skel_version_header} skel_version_lines REGEX "^#define SKELVANE_VERSION_[A-Z]+ ")
foreach(part MAJOR MINOR PATCH STRING)
  set(skel_version_${part} "")
  foreach(line IN LISTS skel_version_lines)
    if(line MATCHES "^#define SKELVANE_VERSION_${part} +\"?([0-9.]+)\"?$")
      set(skel_version_${part} ${CMAKE_MATCH_1})
    endif()
  endforeach()
  if(skel_version_${part} STREQUAL "")
    message(FATAL_ERROR "${skel_version_header}: no SKELVANE_VERSION_${part}")
  endif()
endforeach()
set(SKEL_VERSION ${skel_version_MAJOR}.${skel_version_MINOR}.${skel_version_PATCH})
if(NOT skel_version_STRING STREQUAL SKEL_VERSION)
  message(FATAL_ERROR "${skel_version_header}: SKELVANE_VERSION_STRING \"${skel_version_STRING}\" "
                      "does not match the numbers ${SKEL_VERSION}")
endif()
