# Dependencies that parts of the tree are built without.  Each is looked up here,
# once, so that the parts that need it test the dependency's own FOUND variable.

# The tvl view window (Debian libfltk1.3-dev); the headless core never needs it.
option(SKEL_VIEW_WINDOW "Build the tvl view window (needs FLTK)" ON)
if(SKEL_VIEW_WINDOW)
  find_path(FLTK_HEADERS FL/Fl.H)
  find_library(FLTK_LIB fltk)
  include(FindPackageHandleStandardArgs)
  find_package_handle_standard_args(FLTK REQUIRED_VARS FLTK_LIB FLTK_HEADERS)
endif()

# The xz -9 baseline of the pack benchmark (Debian liblzma-dev).
if(SKEL_BENCH)
  find_package(LibLZMA)
endif()
