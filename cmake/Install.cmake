# What `cmake --install` puts under a prefix for hosts: the shared libraries
# with versioned sonames, their public headers under include/skelvane/, the tvl
# tool, the solids converter beside the viewer library, a CMake package
# (find_package(Skelvane CONFIG)) and pkg-config files.  Included last, once
# every target exists.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(SKEL_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Skelvane)
set(SKEL_INSTALL_PKGCONFIGDIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
set(SKEL_INSTALL_HEADERDIR ${CMAKE_INSTALL_INCLUDEDIR}/skelvane)

# Readies one library for export under Skelvane::<export_name>.  Include
# folders of the source tree stay for in-tree users; installed hosts get the
# prefix's include/, where headers are named <skelvane/...>, as the viewer's
# header names the platform's.  Link dependencies that are not our own (OpenGL,
# EGL, ...) stay in-tree only: hosts never call them through our headers, and
# each shared library records what it needs itself.
function(skel_prepare_export target export_name)
  get_target_property(dirs ${target} INTERFACE_INCLUDE_DIRECTORIES)
  set(include_dirs "$<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>")
  foreach(dir IN LISTS dirs)
    list(APPEND include_dirs "$<BUILD_INTERFACE:${dir}>")
  endforeach()
  get_target_property(links ${target} INTERFACE_LINK_LIBRARIES)
  set(link_libraries "")
  foreach(lib IN LISTS links)
    if(lib IN_LIST SKEL_EXPORTED_TARGETS)
      list(APPEND link_libraries ${lib})
    elseif(lib)
      list(APPEND link_libraries "$<BUILD_INTERFACE:${lib}>")
    endif()
  endforeach()
  set_target_properties(${target} PROPERTIES
    EXPORT_NAME ${export_name}
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR}
    INSTALL_RPATH "$ORIGIN"
    INTERFACE_INCLUDE_DIRECTORIES "${include_dirs}"
    INTERFACE_LINK_LIBRARIES "${link_libraries}")
endfunction()

# Writes lib/pkgconfig/<name>.pc; the prefix is found from the file's own
# place, so the files hold for any --prefix and for the Debian package.
function(skel_pkgconfig name description library requires)
  file(RELATIVE_PATH pc_to_prefix /${SKEL_INSTALL_PKGCONFIGDIR} /)
  set(PC_PREFIX "\${pcfiledir}/${pc_to_prefix}")
  string(REGEX REPLACE "/$" "" PC_PREFIX "${PC_PREFIX}")
  set(PC_NAME ${name})
  set(PC_DESCRIPTION ${description})
  set(PC_LIBRARY ${library})
  set(PC_REQUIRES ${requires})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/skelvane.pc.in ${PROJECT_BINARY_DIR}/pkgconfig/${name}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/pkgconfig/${name}.pc DESTINATION ${SKEL_INSTALL_PKGCONFIGDIR})
endfunction()

set(SKEL_EXPORTED_TARGETS skelvane_platform TvlAccess Tavrel_Viewer PELLIMAX)
foreach(target IN LISTS SKEL_EXPORTED_TARGETS)
  if(NOT TARGET ${target})
    message(FATAL_ERROR "install: the library target ${target} is missing")
  endif()
endforeach()
skel_prepare_export(skelvane_platform Platform)
skel_prepare_export(TvlAccess TvlAccess)
skel_prepare_export(Tavrel_Viewer TavrelViewer)
skel_prepare_export(PELLIMAX Pellimax)
# The platform's headers use the C++17 library (string_view, optional).
target_compile_features(skelvane_platform INTERFACE cxx_std_17)

install(TARGETS ${SKEL_EXPORTED_TARGETS} EXPORT SkelvaneTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(EXPORT SkelvaneTargets NAMESPACE Skelvane:: DESTINATION ${SKEL_INSTALL_CMAKEDIR})

# Public headers, ours and the platform's, side by side.
file(GLOB skel_public_headers ${PROJECT_SOURCE_DIR}/include/*.h)
install(FILES ${skel_public_headers} DESTINATION ${SKEL_INSTALL_HEADERDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/include/skelvane/ DESTINATION ${SKEL_INSTALL_HEADERDIR}
  FILES_MATCHING PATTERN "*.h")

# The viewer starts its solids converter from 3dsolids_files/ beside itself.
install(TARGETS vorstep RUNTIME DESTINATION ${CMAKE_INSTALL_LIBDIR}/3dsolids_files)

file(RELATIVE_PATH skel_bin_to_lib /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
set_target_properties(tvl PROPERTIES INSTALL_RPATH "$ORIGIN/${skel_bin_to_lib}")
install(TARGETS tvl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/SkelvaneConfig.cmake.in
  ${PROJECT_BINARY_DIR}/cmake/SkelvaneConfig.cmake INSTALL_DESTINATION ${SKEL_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/cmake/SkelvaneConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/cmake/SkelvaneConfig.cmake ${PROJECT_BINARY_DIR}/cmake/SkelvaneConfigVersion.cmake
  DESTINATION ${SKEL_INSTALL_CMAKEDIR})

skel_pkgconfig(skelvane-platform "Skelvane platform layer (paths, message boxes, images)" skelvane_platform "")
skel_pkgconfig(skelvane-tvlaccess "Skelvane symbol library reader" TvlAccess "")
skel_pkgconfig(skelvane-tavrel-viewer "Skelvane symbol viewer" Tavrel_Viewer "skelvane-platform")
skel_pkgconfig(skelvane-pellimax "Skelvane item import bridge" PELLIMAX "")
