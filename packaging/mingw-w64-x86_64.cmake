# SPDX-License-Identifier: GPL-3.0-or-later
# Cross build of the command line for 64-bit Windows with Debian's MinGW-w64 (the POSIX
# threads variant), linked statically so that marovane-cli.exe needs no DLL beside it. Used by
# the windows preset, which makes the Windows zip.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triplet}-g++-posix)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# CLI11 is header-only, so the build machine's Debian package serves the cross build too. Its
# headers are reached through a folder that holds only them: /usr/include itself, with the
# build machine's C library, must never reach the cross compiler.
set(marovane_host_headers ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${marovane_host_headers}/usr/include ${marovane_host_headers}/usr/share/cmake)
foreach(link usr/include/CLI usr/share/cmake/CLI11)
  if(EXISTS /${link} AND NOT EXISTS ${marovane_host_headers}/${link})
    file(CREATE_LINK /${link} ${marovane_host_headers}/${link} SYMBOLIC)
  endif()
endforeach()

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triplet} ${marovane_host_headers})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
