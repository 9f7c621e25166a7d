# Test support: GoogleTest built from the sources Debian installs, so the
# same suites build natively and with the MinGW cross compilers.
if(HORLIN_TESTS)
  enable_testing()
  set(HORLIN_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  if(NOT TARGET gtest)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads ${WIN32} CACHE BOOL "" FORCE)
    add_subdirectory(${HORLIN_GTEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    foreach(t gtest gtest_main)
      # GoogleTest's own code is not ours to keep warning-free.
      target_compile_options(${t} PRIVATE -w)
    endforeach()
  endif()
endif()

# horlin_add_test(NAME SOURCES... [LIBS libs...] [LABELS labels...] [INCLUDES dirs...])
# One test program and one ctest entry. Windows test programs run through
# CMAKE_CROSSCOMPILING_EMULATOR (the Wine wrapper), from the bin folder.
function(horlin_add_test name)
  if(NOT HORLIN_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS;INCLUDES" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main gtest)
  target_include_directories(${name} PRIVATE ${T_INCLUDES})
  target_compile_definitions(${name} PRIVATE HORLIN_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1
           WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

# horlin_add_tests(DIR [LIBS libs...] [LABELS labels...])
# One test program per DIR/*_test.cpp; *_posix_test.cpp only natively and
# *_win32_test.cpp only on Windows.
function(horlin_add_tests dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*_test.cpp)
  foreach(src ${sources})
    get_filename_component(name ${src} NAME_WE)
    if(NOT (WIN32 AND name MATCHES "_posix_test$") AND NOT (NOT WIN32 AND name MATCHES "_win32_test$"))
      horlin_add_test(${name} SOURCES ${src} INCLUDES ${dir} ${ARGN})
    endif()
  endforeach()
endfunction()
