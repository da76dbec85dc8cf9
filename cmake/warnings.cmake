# Every target of the project compiles with the same warnings.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
if(RALLIX_WERROR)
  add_compile_options(-Werror)
endif()
