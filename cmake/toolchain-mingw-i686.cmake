# 32-bit Windows with Debian's mingw-w64 (compile and link check).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TARVO_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
