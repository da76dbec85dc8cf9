# The sanitizer build turns memory faults and undefined behaviour into test failures.
if(RALLIX_SANITIZE)
  set(sanitizer_flags -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${sanitizer_flags})
  add_link_options(${sanitizer_flags})
endif()
