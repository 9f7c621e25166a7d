# 64-bit Windows through Debian's MinGW-w64 cross compiler (SSE2 is part of x86-64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
# The machine field every binary of this build carries (checked in its PE header).
set(HORLIN_PE_MACHINE amd64)
set(HORLIN_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
