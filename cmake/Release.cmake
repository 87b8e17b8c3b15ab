# The release a user downloads: the portable folder (component runtime, the
# executable stripped) in kaldrino-<version>-linux-x86_64.tar.gz, made from
# the build folder with `cpack -G TGZ`. The version is the project's.
set(CPACK_PACKAGE_NAME "kaldrino")
set(CPACK_PACKAGE_VENDOR "Kaldrino")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Gardez vos mots de passe derrière un code secret visuel")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_FILE_NAME "kaldrino-${PROJECT_VERSION}-linux-x86_64")
set(CPACK_GENERATOR "TGZ")
# One folder in the archive, named like the archive, holding the program.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# Only what the portable folder holds: no test, no benchmark.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};runtime;/")
set(CPACK_STRIP_FILES ON)
set(CPACK_KALDRINO_DESKTOP_ENTRY "${PROJECT_SOURCE_DIR}/app/kaldrino.desktop")
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/ReleaseEntry.cmake")
include(CPack)

# Puts the program in the user's applications menu from wherever the folder
# was unpacked.
install(PROGRAMS ${PROJECT_SOURCE_DIR}/scripts/add-desktop-entry.sh DESTINATION . COMPONENT runtime)
