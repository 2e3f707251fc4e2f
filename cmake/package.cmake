# The Debian package: everything under /opt/monthly-records (the installed tree that
# monthly-records-setup lays out installation folders from), the setup command on PATH.
#   cmake --build build --target package   ->   build/monthly-records_<version>_<arch>.deb

# Files outside the prefix belong to the component "system": only the package installs them,
# never a plain `cmake --install` (which may point at any folder).
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/package)
file(CREATE_LINK /opt/monthly-records/bin/monthly-records-setup
     ${CMAKE_CURRENT_BINARY_DIR}/package/monthly-records-setup SYMBOLIC)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/package/monthly-records-setup DESTINATION /usr/bin
        COMPONENT system EXCLUDE_FROM_ALL)

install(FILES README.md DESTINATION share/doc/monthly-records)
install(DIRECTORY docs/ DESTINATION share/doc/monthly-records/docs FILES_MATCHING PATTERN "*.md")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME monthly-records)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "monthly-records maintainers <root@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "monthly treatment records, continuation forms and treatment plans")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "The monthly record printing program of a practice-management suite for home-visit\n\
massage and acupuncture businesses, with its report viewer and layouts. Run\n\
monthly-records-setup DIR to lay out an installation folder (add --demo for a\n\
demo database).")
set(CPACK_PACKAGING_INSTALL_PREFIX /opt/monthly-records)
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};ALL;/"
    "${CMAKE_BINARY_DIR};${PROJECT_NAME};system;/")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries from the binaries (dpkg-shlibdeps); what is loaded at run time by name: the Qt SQL
# drivers, the CJK fonts of the documents, the Japanese captions of Qt's standard buttons.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6sql6-odbc, fonts-noto-cjk, qt6-translations-l10n")
# SQL Server through FreeTDS, and the ODBC tools to test a connection.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "tdsodbc, unixodbc")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "freetds-bin")
include(CPack)
