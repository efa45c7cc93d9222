set(CMAKE_SYSTEM_PROCESSOR i686)
set(KESTREL_MINGW_TRIPLE i686-w64-mingw32)
# The program that ships: the Win32 thread model leaves winpthread and the
# locking built on it out of the runtime, about 25 KB of the 32-bit program.
set(KESTREL_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# Debian 12's 32-bit Wine cannot start on a kernel without 32-bit Linux
# binaries; unstable's Wine, in a chroot, runs 32-bit programs in a 64-bit process.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run32)
