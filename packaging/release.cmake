# The release players install: Ambleworks-<version>.zip holding
# Ambleworks.asi, AmbleworksDoctor.exe (the INI doctor for players), the
# commented Ambleworks.ini and the player's README, all at the top of the
# archive so it unpacks straight into the game folder.
# Made from the Windows build: cpack --preset release (or scripts/make-release)

install(TARGETS ambleworks AmbleworksDoctor RUNTIME DESTINATION . COMPONENT player)

# The text files get Windows line ends (CR LF), which every Notepad shows as
# lines; the sources keep LF. The plug-in reads both alike.
function(ambleworks_crlf_copy source destination)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  file(READ ${source} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${destination} "${text}")
endfunction()
set(AMBLEWORKS_RELEASE_TEXT ${PROJECT_BINARY_DIR}/release-text)
ambleworks_crlf_copy(${PROJECT_SOURCE_DIR}/Ambleworks.ini ${AMBLEWORKS_RELEASE_TEXT}/Ambleworks.ini)
ambleworks_crlf_copy(${PROJECT_SOURCE_DIR}/docs/player/README.txt ${AMBLEWORKS_RELEASE_TEXT}/README.txt)
install(FILES ${AMBLEWORKS_RELEASE_TEXT}/Ambleworks.ini ${AMBLEWORKS_RELEASE_TEXT}/README.txt
  DESTINATION . COMPONENT player)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Ambleworks)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Ambleworks-${PROJECT_VERSION})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
set(CPACK_COMPONENTS_ALL player)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/release)
include(CPack)
