# Cross-compiles the Win32 deliverables for 64-bit Windows with mingw-w64. The 64-bit Wine loader is
# named directly: Debian's `wine` wrapper takes the 32-bit one whenever that is installed.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(WL_WINE_LOADER /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
