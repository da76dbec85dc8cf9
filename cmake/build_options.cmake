# What the project's own targets compile and link with: the warnings, -Werror
# when asked for, and the sanitizers in the sanitizer build. Each target links
# this interface target privately, so none of it reaches third-party code
# built from source (GoogleTest in the Windows build).
include(${CMAKE_CURRENT_LIST_DIR}/warnings.cmake)
add_library(rallix_build_options INTERFACE)
target_compile_options(rallix_build_options INTERFACE ${RALLIX_WARNINGS})
if(RALLIX_WERROR)
  target_compile_options(rallix_build_options INTERFACE -Werror)
endif()
# The sanitizer build turns memory faults and undefined behaviour into test failures.
if(RALLIX_SANITIZE)
  set(sanitizer_flags -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(rallix_build_options INTERFACE ${sanitizer_flags})
  target_link_options(rallix_build_options INTERFACE ${sanitizer_flags})
endif()
