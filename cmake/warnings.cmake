# Every target of the project compiles with the same warnings.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
# g++ 12 takes the sized operator delete of Asio's coroutine frames for a
# mismatch with the frame's allocation, which it is not.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(-Wno-mismatched-new-delete)
endif()
if(RALLIX_WERROR)
  add_compile_options(-Werror)
endif()
