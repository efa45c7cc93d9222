# Shared by the two MinGW-w64 toolchains. KESTREL_MINGW_TRIPLE is set by the includer.
set(CMAKE_SYSTEM_NAME Windows)
# The thread model's compilers: posix unless the includer chose win32, whose
# runtime has no std::thread or std::mutex but needs no winpthread either.
if(NOT KESTREL_MINGW_THREADS)
    set(KESTREL_MINGW_THREADS posix)
endif()
set(CMAKE_C_COMPILER ${KESTREL_MINGW_TRIPLE}-gcc-${KESTREL_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${KESTREL_MINGW_TRIPLE}-g++-${KESTREL_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${KESTREL_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KESTREL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Link the runtime in, so that the programs run without MinGW DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
