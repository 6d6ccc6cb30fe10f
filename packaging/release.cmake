# The release players install: Ambleworks-<version>.zip holding
# Ambleworks.asi, AmbleworksDoctor.exe (the INI doctor for players), the
# commented Ambleworks.ini, the player's README and CHANGELOG, the settings
# page AmbleworksSettings.html when its build has made it, and SHA256SUMS.txt
# (the checksums of all the others), all at the top of the archive so it
# unpacks straight into the game folder; Ambleworks-<version>.zip.sha256
# beside it.
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
ambleworks_crlf_copy(${PROJECT_SOURCE_DIR}/docs/player/CHANGELOG.txt ${AMBLEWORKS_RELEASE_TEXT}/CHANGELOG.txt)
install(FILES ${AMBLEWORKS_RELEASE_TEXT}/Ambleworks.ini ${AMBLEWORKS_RELEASE_TEXT}/README.txt
  ${AMBLEWORKS_RELEASE_TEXT}/CHANGELOG.txt
  DESTINATION . COMPONENT player)

# The settings page is built by Emscripten, in a build of its own (the web
# preset; `cmake --build --preset settings-page` makes only the page): this
# names the AmbleworksSettings.html that build makes, and the zip then holds
# it (packing fails when the file named is not there). The windows preset
# names build/web/AmbleworksSettings.html; empty: no page.
set(AMBLEWORKS_SETTINGS_PAGE "" CACHE FILEPATH
  "AmbleworksSettings.html as the page's build makes it, for the release zip (empty: no page)")
if(AMBLEWORKS_SETTINGS_PAGE)
  install(FILES ${AMBLEWORKS_SETTINGS_PAGE} DESTINATION . RENAME AmbleworksSettings.html COMPONENT player)
endif()

# SHA256SUMS.txt into the zip before it is packed, and the .sha256 of the
# zip beside it after (packaging/checksums.cmake).
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/checksums.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/checksums.cmake)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Ambleworks)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Ambleworks-${PROJECT_VERSION})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
set(CPACK_COMPONENTS_ALL player)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/release)
include(CPack)
