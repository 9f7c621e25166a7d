# The posix thread model gives std::thread and std::mutex; its winpthread is
# linked statically like the rest of the runtime.
set(CMAKE_C_COMPILER ${HORLIN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HORLIN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${HORLIN_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${HORLIN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Windows test programs run under Wine through this wrapper.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec.sh)
