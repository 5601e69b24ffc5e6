# `cpack -G DEB` in a build tree: one Debian package with what the install rules
# put under /usr (libraries, headers, CMake and pkg-config files, tvl, the
# solids converter).

# cpack packages the tree as built (build it first, as scripts/setup.sh does)
# instead of rebuilding every target, tests included, on its way.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_PACKAGE_NAME skelvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Skelvane")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "CAD symbol library reader, viewer and import bridge")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Shared libraries that list and decode the symbols of compressed CAD symbol libraries,\n"
  "render them off-screen with OpenGL and hand items to an import program, with the tvl\n"
  "command, headers, a CMake package and pkg-config files for host applications.")
set(CPACK_PACKAGE_CONTACT "Skelvane developers <skelvane@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
# Library dependencies come from the binaries themselves; our own libraries
# are found in the package.  Mesa's drivers are loaded at run time, so no
# binary names them: rendering needs them all the same.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libegl-mesa0, libgl1-mesa-dri")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pkg-config, cmake")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)

include(CPack)
