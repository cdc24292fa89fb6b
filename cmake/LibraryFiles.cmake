# Generated projects name "<program folder>\LibraryFiles" as their unit search
# path, so the library units go beside every executable the build makes.
file(GLOB QUILLFERN_LIBRARY_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/LibraryFiles/*)
set(QUILLFERN_LIBRARY_COPIES)
foreach(source IN LISTS QUILLFERN_LIBRARY_FILES)
  get_filename_component(name ${source} NAME)
  set(copy ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/LibraryFiles/${name})
  add_custom_command(OUTPUT ${copy}
                     COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
                     DEPENDS ${source}
                     COMMENT "Copying LibraryFiles/${name} beside the executables"
                     VERBATIM)
  list(APPEND QUILLFERN_LIBRARY_COPIES ${copy})
endforeach()
add_custom_target(library_files ALL DEPENDS ${QUILLFERN_LIBRARY_COPIES})
foreach(program quillfern quillfern-cli)
  if(TARGET ${program})
    add_dependencies(${program} library_files)
  endif()
endforeach()
