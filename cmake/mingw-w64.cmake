# Cross-compiles the Windows x86-64 console build with MinGW-w64:
#
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DCMAKE_BUILD_TYPE=Release
#
# The compilers are Debian's posix thread model ones
# (g++-mingw-w64-x86-64-posix): the default model has no std::thread or
# std::mutex. Build optimised: g++ 12's static link of C++23 at -O0 fails on
# a duplicate std::type_info::operator==.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Asio, fmt and Boost are used header-only and come from the build
# machine's Debian packages. Their directory is never put on the include
# path as a whole, since glibc's headers beside them would shadow MinGW's:
# a directory of the build holds links to them alone.
set(RALLIX_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
if(NOT CMAKE_IN_TRY_COMPILE)
  file(MAKE_DIRECTORY ${RALLIX_HOST_HEADERS})
  foreach(entry asio asio.hpp fmt boost)
    if(NOT EXISTS ${RALLIX_HOST_HEADERS}/${entry})
      file(CREATE_LINK /usr/include/${entry} ${RALLIX_HOST_HEADERS}/${entry} SYMBOLIC)
    endif()
  endforeach()
endif()
# fmt's package is found as a header-only stand-in.
set(fmt_DIR ${CMAKE_CURRENT_LIST_DIR}/mingw-w64)

# Windows 10 and later: the console's virtual terminal processing.
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=0x0A00")
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0A00 -isystem ${RALLIX_HOST_HEADERS}")
# One executable that needs nothing but the system's DLLs; Asio's reactor
# sits on Winsock.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_CXX_STANDARD_LIBRARIES "-lws2_32" CACHE STRING "Libraries linked into every C++ program")

# ctest runs the Windows programs under wine, in a prefix of the build's own.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh
                                    ${CMAKE_BINARY_DIR}/wine-prefix)
endif()
