# fmt for the Windows build: header-only, its headers reached through the
# build's host-headers directory (see ../mingw-w64.cmake).
if(NOT TARGET fmt::fmt)
  add_library(fmt::fmt INTERFACE IMPORTED)
  set_target_properties(fmt::fmt PROPERTIES INTERFACE_COMPILE_DEFINITIONS FMT_HEADER_ONLY)
endif()
set(fmt_FOUND TRUE)
