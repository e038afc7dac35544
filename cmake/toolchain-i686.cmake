set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
# What runs this build's programs: 32-bit Wine, whose prefix works only with the 32-bit server.
set(PAVORA_WINE_LOADER_NAME wine)
set(PAVORA_WINESERVER_NAME wineserver32)
set(PAVORA_WINEARCH win32)
set(PAVORA_UNWINDER_DLL libgcc_s_dw2-1.dll)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
