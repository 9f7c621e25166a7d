# Texts the programs show are written in UTF-8 and carried as code page 932
# bytes. The build copies each such source with its string literals turned
# into the code page 932 escapes (cp932_literals.py) and compiles the copy, so
# no compiler option decides how the texts are stored.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# horlin_cp932_source(TARGET SOURCE): compiles SOURCE into TARGET that way,
# in place of SOURCE itself where the target lists it.
function(horlin_cp932_source target source)
  get_target_property(sources ${target} SOURCES)
  list(REMOVE_ITEM sources ${source})
  set_property(TARGET ${target} PROPERTY SOURCES ${sources})
  get_filename_component(name ${source} NAME)
  set(copy ${CMAKE_CURRENT_BINARY_DIR}/cp932/${name})
  set(tool ${PROJECT_SOURCE_DIR}/cmake/cp932_literals.py)
  # Only some generators make an output's folder for it; the rule makes its own.
  add_custom_command(OUTPUT ${copy}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/cp932
                     COMMAND Python3::Interpreter ${tool} ${source} ${copy}
                     DEPENDS ${source} ${tool}
                     COMMENT "Storing the texts of ${name} as code page 932" VERBATIM)
  target_sources(${target} PRIVATE ${copy})
endfunction()
