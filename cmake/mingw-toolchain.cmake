# What both mingw-w64 toolchain files share: the cross compilers of CMAKE_SYSTEM_PROCESSOR (posix
# threads, so std::thread is there for tests; everything is linked statically) and the Wine loader
# WL_WINE_LOADER, under which ctest runs the Windows unit tests.
set(CMAKE_SYSTEM_NAME Windows)
set(TRIPLET ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${WL_WINE_LOADER})
