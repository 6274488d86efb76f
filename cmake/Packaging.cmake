# What `cmake --install` puts in place besides the two executables, and the Debian package.
# Every destination is relative, so that an install lands entirely under CMAKE_INSTALL_PREFIX
# (and DESTDIR): /usr for the package, ~/.local or a staging folder for a user install.

# Folders the install creates get the usual rwxr-xr-x whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(K330_APP_ID "ru.k330s.terminal")
# Date of this version's release, for the AppStream metadata and the Debian changelog.
set(K330_RELEASE_DATE "2026-12-08")

# udev rule giving the user logged in at the seat access to the controller. udev itself reads
# rules only from /usr/lib/udev/rules.d and /etc/udev/rules.d; a rule installed under another
# prefix is activated by hand (README, "Install").
set(K330_UDEV_RULES_DIR "lib/udev/rules.d" CACHE STRING
    "Where cmake --install puts the udev rule, relative to the install prefix")
# Build folders configured before the rule moved under the prefix cached /etc/udev/rules.d as
# the default for every prefix but /usr; that default is replaced, a folder chosen by hand is kept.
get_property(_udev_help CACHE K330_UDEV_RULES_DIR PROPERTY HELPSTRING)
if(K330_UDEV_RULES_DIR STREQUAL "/etc/udev/rules.d"
   AND _udev_help STREQUAL "Where cmake --install puts the udev rule")
    set_property(CACHE K330_UDEV_RULES_DIR PROPERTY VALUE "lib/udev/rules.d")
    set_property(CACHE K330_UDEV_RULES_DIR PROPERTY HELPSTRING
        "Where cmake --install puts the udev rule, relative to the install prefix")
endif()
if(IS_ABSOLUTE "${K330_UDEV_RULES_DIR}")
    message(WARNING "K330_UDEV_RULES_DIR is absolute (${K330_UDEV_RULES_DIR}): the udev rule "
                    "will be installed outside the install prefix")
endif()
install(FILES resources/udev/70-k330s.rules DESTINATION ${K330_UDEV_RULES_DIR})

# Desktop menu entry, AppStream metadata and the icon in the hicolor theme. The icons are drawn
# by resources/tools/make-app-icon.sh.
install(FILES resources/desktop/${K330_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
configure_file(resources/desktop/${K330_APP_ID}.metainfo.xml.in
               ${CMAKE_CURRENT_BINARY_DIR}/packaging/${K330_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/${K330_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
foreach(_size 16 22 24 32 48 64 128 256)
    install(FILES resources/desktop/icons/k330-terminal-${_size}.png
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${_size}x${_size}/apps
            RENAME k330-terminal.png)
endforeach()

# Manual pages, compressed as Debian's policy asks (gzip -9, no name or time stamp inside).
find_program(K330_GZIP gzip REQUIRED)
set(_man_pages "")
foreach(_page k330-terminal.1 k330ctl.1)
    set(_man ${CMAKE_CURRENT_BINARY_DIR}/packaging/man/${_page})
    configure_file(resources/man/${_page} ${_man} @ONLY)
    add_custom_command(OUTPUT ${_man}.gz
        COMMAND ${K330_GZIP} -9 -n -f -k ${_man}
        DEPENDS ${_man}
        COMMENT "Compressing the manual page ${_page}")
    list(APPEND _man_pages ${_man}.gz)
endforeach()
add_custom_target(k330_man_pages ALL DEPENDS ${_man_pages})
install(FILES ${_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Debian package: cpack -G DEB in the build folder makes k330-terminal_<version>_<arch>.deb.
set(K330_DEB_MAINTAINER "K-330S terminal developers <k330-terminal@k330s.ru>")
set(K330_DEB_VERSION "${PROJECT_VERSION}-1")
execute_process(COMMAND date -u -R -d "${K330_RELEASE_DATE} 12:00:00"
                OUTPUT_VARIABLE K330_DEB_CHANGELOG_DATE OUTPUT_STRIP_TRAILING_WHITESPACE)
configure_file(resources/debian/changelog.in
               ${CMAKE_CURRENT_BINARY_DIR}/packaging/debian/changelog.Debian @ONLY)
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/packaging/debian/changelog.Debian.gz
    COMMAND ${K330_GZIP} -9 -n -f -k ${CMAKE_CURRENT_BINARY_DIR}/packaging/debian/changelog.Debian
    DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/packaging/debian/changelog.Debian
    COMMENT "Compressing the Debian changelog")
add_custom_target(k330_deb_changelog ALL
    DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/packaging/debian/changelog.Debian.gz)

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "k330-terminal")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${K330_DEB_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_SCRIPTS ${CMAKE_CURRENT_BINARY_DIR}/packaging/DebianDocs.cmake)
set(CPACK_DEBIAN_PACKAGE_NAME "k330-terminal")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${K330_DEB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own texts (file dialogs, standard buttons) in the interface's language.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
# CPack indents the lines after the synopsis itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "terminal for the K-330S communication controllers
The desktop terminal for the controllers of the K-330S audio/radio
communication system (models K-330RA and K-330RB), connected over USB. It
creates, reads, edits, writes and verifies a controller's configuration, tries
settings live on a running controller, loads firmware into its flash and shows
what the controller streams. A simulated controller lets everything be tried
without hardware.
.
The package also holds k330ctl, the same exchanges from the command line, and
a udev rule that gives the user at the seat access to the controller.")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_SOURCE_DIR}/resources/debian/postinst
    ${CMAKE_CURRENT_SOURCE_DIR}/resources/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_SOURCE_GENERATOR "")
# The copyright file and the Debian changelog go into the package only (Debian's place for
# them); a plain install leaves them out.
configure_file(cmake/DebianDocs.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/packaging/DebianDocs.cmake @ONLY)
include(CPack)
