# The Debian package: `cpack -G DEB` in the build folder makes vandrel_<version>_<arch>.deb from
# the install rules. scripts/package builds it the way Debian builds its own packages.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vandrel)
set(CPACK_PACKAGE_VENDOR "the Vandrel developers")
set(CPACK_PACKAGE_CONTACT "${VANDREL_PACKAGE_CONTACT}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "convert a Calypso mail export into mbox files for Thunderbird")
# Lines of at most 80 characters; an empty line starts a paragraph.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Vandrel reads a mailbox exported by the old Calypso mail client and writes
one mbox file per Calypso folder, every message rewritten the way Thunderbird
expects it: its body, its attached files read from disk, its folder. It can
also put the folders straight into a Thunderbird profile.

The package holds the window, vandrel, and the command line program,
vandrel-cli.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends from the libraries the programs link, as dpkg-shlibdeps finds them, and Qt's German
# texts, which the window loads when it speaks German.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS thunderbird)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# Whatever the umask of the one who builds.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
