# Shared build settings for every target of the project.

set(SKEL_WARNINGS -Wall -Wextra -Wpedantic)
set(SKEL_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)

if(SKEL_SANITIZE)
  add_compile_options(${SKEL_SANITIZER_FLAGS})
  add_link_options(${SKEL_SANITIZER_FLAGS})
endif()

# Adds warnings to one of our own targets (third-party code never goes through this).
function(skel_target_warnings target)
  target_compile_options(${target} PRIVATE ${SKEL_WARNINGS})
endfunction()

function(skel_add_subdirectory_if_present dir)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
    add_subdirectory(${dir})
  endif()
endfunction()

# Adds every immediate child folder that has a CMakeLists.txt, so that each area
# owns its own tests/tools folder without editing a shared list.
function(skel_add_child_directories)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# A GoogleTest executable registered with ctest.
#   skel_add_gtest(NAME name SOURCES ... LIBS ...)
function(skel_add_gtest)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  skel_target_warnings(${T_NAME})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "SKELVANE_UI=none")
endfunction()

include(GoogleTest)
