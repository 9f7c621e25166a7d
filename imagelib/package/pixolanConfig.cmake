# The pixolan package: the imported target pixolan::pixolan (pixolan.dll with
# its import library and include/pixolan.h).
include(${CMAKE_CURRENT_LIST_DIR}/pixolanTargets.cmake)
