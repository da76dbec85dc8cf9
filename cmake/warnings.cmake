# The warnings the project's own code compiles with. The fuzz build includes
# this file too, so that both builds keep one list.
set(RALLIX_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
# g++ 12 takes the sized operator delete of Asio's coroutine frames for a
# mismatch with the frame's allocation, which it is not.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  list(APPEND RALLIX_WARNINGS -Wno-mismatched-new-delete)
endif()
