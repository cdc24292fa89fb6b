# What a user downloads: one ZIP per system, unpacked into a folder of its
# own. The Windows package holds the wizard, the command-line generator, the
# help file and the library units; the Linux one the command-line generator
# and the library units; both the README and the help's pages. The generated
# projects' search path is the LibraryFiles folder beside the program, so it
# travels in the package.
if(WIN32)
  install(TARGETS quillfern quillfern-cli RUNTIME DESTINATION .)
  install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/quillfern.chm DESTINATION .)
  set(CPACK_PACKAGE_FILE_NAME "Quillfern-${PROJECT_VERSION}-windows-x64")
else()
  install(TARGETS quillfern-cli RUNTIME DESTINATION .)
  set(CPACK_PACKAGE_FILE_NAME "quillfern-cli-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR}")
endif()
install(DIRECTORY ${CMAKE_SOURCE_DIR}/LibraryFiles/ DESTINATION LibraryFiles)

# The README travels without its part about the sources, and with what it
# links to: the help's pages (also the help file's sources) and the picture.
set(QUILLFERN_PACKAGE_README ${CMAKE_BINARY_DIR}/package-readme/README.md)
add_custom_command(
  OUTPUT ${QUILLFERN_PACKAGE_README}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${CMAKE_SOURCE_DIR}/README.md -DOUTPUT=${QUILLFERN_PACKAGE_README}
          -P ${CMAKE_SOURCE_DIR}/cmake/PackageReadme.cmake
  DEPENDS ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/cmake/PackageReadme.cmake
  VERBATIM)
add_custom_target(package_readme ALL DEPENDS ${QUILLFERN_PACKAGE_README})
install(FILES ${QUILLFERN_PACKAGE_README} ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/docs/wizard.png DESTINATION docs)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/help/ DESTINATION docs/help FILES_MATCHING PATTERN "*.md")

set(CPACK_GENERATOR ZIP)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_NAME Quillfern)
set(CPACK_PACKAGE_VENDOR "The Quillfern authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Writes Microsoft Office COM add-in projects for Delphi")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
