# The Debian package of the installed layout (scripts/package.sh): velmora_<version>_amd64.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "The Velmora developers")
set(CPACK_PACKAGE_CONTACT "The Velmora developers <support@velmora.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "password manager with enciphered accounts")
# Lines as the control file shows them.
set(CPACK_PACKAGE_DESCRIPTION
    "Velmora keeps passwords, logins, addresses and notes in accounts of folders
and records, each account one file enciphered with its password. It has a
password generator, a search across folders, export as text, spreadsheet or
word-processor document, and an English and Russian interface.

The command-line tool velmora-cli lists, shows, exports and imports accounts
and generates passwords.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://velmora.example.org")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link, as dpkg-shlibdeps finds them; the window system plugins and a
# font are loaded at run time, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-core | fonts-freefont-ttf")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
