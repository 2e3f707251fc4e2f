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

# What Debian asks of every package, outside the prefix: the copyright file, the changelog and
# the setup command's manual page, compressed as dpkg-deb and lintian expect (gzip -9n).
set(MONTHLY_PACKAGE_MAINTAINER "Monthly records packaging team <packaging@monthly-records.example>"
    CACHE STRING "The Debian package's Maintainer field: a role and its address")
configure_file(cmake/debian/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/package/changelog @ONLY)
configure_file(src/setup/monthly-records-setup.1 ${CMAKE_CURRENT_BINARY_DIR}/package/monthly-records-setup.1 COPYONLY)
set(MONTHLY_PACKAGE_GZ ${CMAKE_CURRENT_BINARY_DIR}/package/changelog.gz
                       ${CMAKE_CURRENT_BINARY_DIR}/package/monthly-records-setup.1.gz)
foreach(gz IN LISTS MONTHLY_PACKAGE_GZ)
  string(REGEX REPLACE "\\.gz$" "" plain ${gz})
  add_custom_command(OUTPUT ${gz} COMMAND gzip -9nkf ${plain} DEPENDS ${plain} VERBATIM)
endforeach()
add_custom_target(package_docs ALL DEPENDS ${MONTHLY_PACKAGE_GZ})
install(FILES cmake/debian/copyright ${CMAKE_CURRENT_BINARY_DIR}/package/changelog.gz
        DESTINATION /usr/share/doc/monthly-records COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/package/monthly-records-setup.1.gz DESTINATION /usr/share/man/man1
        COMPONENT system EXCLUDE_FROM_ALL)

install(FILES README.md DESTINATION share/doc/monthly-records)
install(DIRECTORY docs/ DESTINATION share/doc/monthly-records/docs FILES_MATCHING PATTERN "*.md")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME monthly-records)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${MONTHLY_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "monthly treatment records, continuation forms and treatment plans")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "The monthly record printing program of a practice-management suite for\n\
home-visit massage and acupuncture businesses, with its report viewer and\n\
layouts. Run monthly-records-setup DIR to lay out an installation folder\n\
(--from OFFICE for a user's own folder, --demo for a demo database).")
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
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/cmake/debian/preinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/cmake/debian/without-opt-dir.cmake)
include(CPack)
