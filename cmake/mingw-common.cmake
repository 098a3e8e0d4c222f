# Shared part of the mingw-w64 toolchains. The including file sets TARVO_MINGW_TRIPLET
# and CMAKE_SYSTEM_PROCESSOR.
set(CMAKE_SYSTEM_NAME Windows)

# The posix-thread compilers: std::thread and friends work without extra code.
set(CMAKE_C_COMPILER ${TARVO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARVO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TARVO_MINGW_TRIPLET}-windres)

# libzip and GoogleTest are cross-built by scripts/build-mingw-deps.sh into
# build/deps/<triplet>; zlib comes from Debian's libz-mingw-w64-dev.
if(DEFINED ENV{TARVO_DEPS_DIR})
  set(TARVO_DEPS_PREFIX "$ENV{TARVO_DEPS_DIR}/${TARVO_MINGW_TRIPLET}")
else()
  get_filename_component(TARVO_DEPS_PREFIX "${CMAKE_CURRENT_LIST_DIR}/../build/deps/${TARVO_MINGW_TRIPLET}" ABSOLUTE)
endif()
set(CMAKE_FIND_ROOT_PATH "${TARVO_DEPS_PREFIX}" "/usr/${TARVO_MINGW_TRIPLET}")
# The static zlib, whoever asks first (FindZLIB would pick the DLL's import library).
set(ZLIB_LIBRARY "/usr/${TARVO_MINGW_TRIPLET}/lib/libz.a" CACHE FILEPATH "static zlib")
set(ZLIB_INCLUDE_DIR "/usr/${TARVO_MINGW_TRIPLET}/include" CACHE PATH "zlib headers")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
