# cpack -G DEB (run in the build folder) makes dorimek_<version>_<arch>.deb:
#
#   /opt/dorimek/                       the program folder as cmake --install
#                                       makes it, without the clinic's data
#   /usr/share/dorimek/samples/         the sample data, read-only
#   /usr/share/dorimek/setup-data-folder.sh
#                                       run by postinst: group dorimek may write
#                                       the folder; samples copied where absent
#   /usr/share/applications/dorimek.desktop
#   /etc/fonts/conf.d/60-dorimek-fonts.conf -> the program folder's font file
#   /usr/share/man/man1/dorimek.1.gz    the manual page (Japanese, English summary)
#   /usr/share/doc/dorimek/             copyright, changelog.gz
#   /usr/share/lintian/overrides/dorimek  what is deliberate, with the reasons
#
# yakujo.txt, sorbenk.ini, photos/ and qev/ in the program folder belong to
# the clinic, not to the package: dpkg neither replaces nor removes them.

set(DORIMEK_PACKAGE_FOLDER "/opt/dorimek")

install(DIRECTORY ${PROJECT_SOURCE_DIR}/samples/ DESTINATION /usr/share/dorimek/samples
        COMPONENT deb EXCLUDE_FROM_ALL)
install(PROGRAMS ${PROJECT_SOURCE_DIR}/packaging/deb/setup-data-folder.sh
        DESTINATION /usr/share/dorimek COMPONENT deb EXCLUDE_FROM_ALL)
# Debian's documentation: the copyright, the changelog and the manual page,
# compressed as dpkg's tools would (gzip -9n: no name, no time stamp); and
# the reasons lintian is told for what is deliberate here.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/deb/copyright DESTINATION /usr/share/doc/dorimek
        COMPONENT deb EXCLUDE_FROM_ALL)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/deb/lintian-overrides DESTINATION /usr/share/lintian/overrides
        RENAME dorimek COMPONENT deb EXCLUDE_FROM_ALL)
install(CODE "set(DORIMEK_DEB_CHANGELOG \"${CMAKE_BINARY_DIR}/packaging/deb/changelog\")
set(DORIMEK_MANUAL_PAGE \"${PROJECT_SOURCE_DIR}/packaging/dorimek.1\")" COMPONENT deb EXCLUDE_FROM_ALL)
install(CODE [[
foreach(_pair "${DORIMEK_DEB_CHANGELOG}|/usr/share/doc/dorimek/changelog.gz"
              "${DORIMEK_MANUAL_PAGE}|/usr/share/man/man1/dorimek.1.gz")
    string(REPLACE "|" ";" _pair "${_pair}")
    list(GET _pair 0 _from)
    list(GET _pair 1 _to)
    get_filename_component(_dir "$ENV{DESTDIR}${_to}" DIRECTORY)
    file(MAKE_DIRECTORY "${_dir}")
    execute_process(COMMAND gzip -9n -c "${_from}" OUTPUT_FILE "$ENV{DESTDIR}${_to}" RESULT_VARIABLE _failed)
    if(_failed)
        message(FATAL_ERROR "gzip ${_from}: ${_failed}")
    endif()
    file(CHMOD "$ENV{DESTDIR}${_to}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()
]] COMPONENT deb EXCLUDE_FROM_ALL)
# The menu entry the program component has just written, for every user.
install(CODE [[
file(MAKE_DIRECTORY "$ENV{DESTDIR}/usr/share/applications" "$ENV{DESTDIR}/etc/fonts/conf.d")
file(COPY_FILE "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/dorimek.desktop"
     "$ENV{DESTDIR}/usr/share/applications/dorimek.desktop")
file(CHMOD "$ENV{DESTDIR}/usr/share/applications/dorimek.desktop"
     PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(CREATE_LINK "${CMAKE_INSTALL_PREFIX}/fonts/60-dorimek-fonts.conf"
     "$ENV{DESTDIR}/etc/fonts/conf.d/60-dorimek-fonts.conf" SYMBOLIC)
]] COMPONENT deb EXCLUDE_FROM_ALL)

# Debian refuses a maintainer at localhost; whoever builds the clinic's
# package may name themselves here.
set(DORIMEK_PACKAGE_MAINTAINER "dorimek developers <dorimek-dev@example.org>"
    CACHE STRING "Maintainer of the Debian package (name <address>)")

configure_file(${PROJECT_SOURCE_DIR}/packaging/deb/postinst.in
               ${CMAKE_BINARY_DIR}/packaging/deb/postinst @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/deb/changelog.in
               ${CMAKE_BINARY_DIR}/packaging/deb/changelog @ONLY)

set(CPACK_PACKAGE_NAME "dorimek")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "dorimek")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Prints the drug information sheet 薬剤情報提供書 on JIS B5")
# The synopsis above is the first line; this is the rest only.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "A clinic's desktop program: drugs from the master file yakujo.txt, or the
prescription the host system leaves in rp.csv, printed as a ruled sheet.
The host system starts it with the argument auto to print unattended.")
set(CPACK_PACKAGE_CONTACT "${DORIMEK_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION "misc")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps can't see them: Qt's Japanese texts,
# the sheet's fonts, and groupadd for the data folder's group.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-translations-l10n, fonts-ipafont-mincho, fonts-ipafont-gothic, passwd")
# Japanese typing: an input method with Mozc and its Qt 6 front end (ibus's
# comes with Qt itself), and im-config, which sets QT_IM_MODULE for the
# session. A GNOME desktop that already runs ibus-mozc needs no fcitx5.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fcitx5-mozc | ibus-mozc, fcitx5-frontend-qt6 | ibus, im-config")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/packaging/deb/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# The install rules write the folder's path into the menu entry, so they run
# with the real prefix under a staging DESTDIR.
set(CPACK_SET_DESTDIR ON)
set(CPACK_PACKAGING_INSTALL_PREFIX "${DORIMEK_PACKAGE_FOLDER}")
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};dorimek;program;/"
    "${CMAKE_BINARY_DIR};dorimek;deb;/")
set(CPACK_GENERATOR "DEB")
include(CPack)
