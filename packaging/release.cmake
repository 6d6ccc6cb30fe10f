# The release players install: Ambleworks-<version>.zip holding
# Ambleworks.asi, the commented Ambleworks.ini and the player's README, all
# at the top of the archive so it unpacks straight into the game folder.
# Made from the Windows build: cpack --preset release (or scripts/make-release)

install(TARGETS ambleworks RUNTIME DESTINATION . COMPONENT player)
install(FILES ${PROJECT_SOURCE_DIR}/Ambleworks.ini DESTINATION . COMPONENT player)
install(FILES ${PROJECT_SOURCE_DIR}/docs/player/README.txt DESTINATION . COMPONENT player)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Ambleworks)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Ambleworks-${PROJECT_VERSION})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
set(CPACK_COMPONENTS_ALL player)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/release)
include(CPack)
