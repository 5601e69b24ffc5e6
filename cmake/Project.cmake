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

# A library hosts load, compiled once and linked twice: NAME is the shared library,
# NAME_internal a static library of the same objects through which tests reach
# what the shared library hides.  What the code needs (LIBS, DEFINITIONS) goes on
# NAME_objects and reaches both.
#   skel_add_library_with_internal(NAME SOURCES ... [DEFINITIONS ...] [LIBS ...])
function(skel_add_library_with_internal name)
  cmake_parse_arguments(L "" "" "SOURCES;DEFINITIONS;LIBS" ${ARGN})
  add_library(${name}_objects OBJECT ${L_SOURCES})
  skel_target_warnings(${name}_objects)
  target_compile_definitions(${name}_objects PUBLIC ${L_DEFINITIONS})
  target_include_directories(${name}_objects PUBLIC ${PROJECT_SOURCE_DIR}/include ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name}_objects PUBLIC ${L_LIBS})

  add_library(${name} SHARED)
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/include)
  target_link_libraries(${name} PRIVATE ${name}_objects)

  add_library(${name}_internal STATIC)
  target_link_libraries(${name}_internal PUBLIC ${name}_objects)
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
