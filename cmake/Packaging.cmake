# What a user downloads: one ZIP per system, unpacked into a folder of its
# own. The Windows package holds the wizard, the command-line generator, the
# help file and the library units; the Linux one the command-line generator
# and the library units. The generated projects' search path is the
# LibraryFiles folder beside the program, so it travels in the package.
if(WIN32)
  install(TARGETS quillfern quillfern-cli RUNTIME DESTINATION .)
  install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/quillfern.chm DESTINATION .)
  set(CPACK_PACKAGE_FILE_NAME "Quillfern-${PROJECT_VERSION}-windows-x64")
else()
  install(TARGETS quillfern-cli RUNTIME DESTINATION .)
  set(CPACK_PACKAGE_FILE_NAME "quillfern-cli-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR}")
endif()
install(DIRECTORY ${CMAKE_SOURCE_DIR}/LibraryFiles/ DESTINATION LibraryFiles)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_NAME Quillfern)
set(CPACK_PACKAGE_VENDOR "The Quillfern authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Writes Microsoft Office COM add-in projects for Delphi")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
