# The Debian package of both programs: `cpack -G DEB` in the build folder writes
# quarnel_<version>_<arch>.deb with everything `cmake --install` puts under /usr.
set(QUARNEL_MAINTAINER "Orvandel <quarnel@example.org>")
string(TIMESTAMP QUARNEL_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)

# The documentation every package carries: copyright and a changelog in Debian's format.
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${CMAKE_BINARY_DIR}/package/changelog @ONLY)
find_program(QUARNEL_GZIP gzip)
if(QUARNEL_GZIP)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/package/changelog.gz
        COMMAND ${QUARNEL_GZIP} -9 -n -c ${CMAKE_BINARY_DIR}/package/changelog > ${CMAKE_BINARY_DIR}/package/changelog.gz
        DEPENDS ${CMAKE_BINARY_DIR}/package/changelog
        COMMENT "Compressing the package changelog")
    add_custom_target(packagedocs ALL DEPENDS ${CMAKE_BINARY_DIR}/package/changelog.gz)
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${CMAKE_BINARY_DIR}/package/changelog.gz
            DESTINATION share/doc/quarnel)
endif()

set(CPACK_PACKAGE_NAME quarnel)
set(CPACK_PACKAGE_VENDOR Orvandel)
set(CPACK_PACKAGE_CONTACT "${QUARNEL_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "vocabulary trainer with double-sided cards")
set(CPACK_PACKAGE_DESCRIPTION "Two programs for learning words with double-sided cards: qr2 lets you\n\
choose chapters and study their cards one at a time, turn a card between\n\
question and answer, mark trouble cards, shuffle, search, save and restore\n\
a study run and export statistics. qredit writes the cards of a chapter.\n\
Four sample chapters are included.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quarnel.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Text renders alike with the DejaVu fonts; cards in any script a learner studies need fonts
# that cover it: Noto for Devanagari, Thai, Khmer, Georgian, Armenian, Ethiopic and many more,
# Noto Color Emoji for emoji, WenQuanYi Micro Hei for Chinese and Japanese. Wayland sessions
# need Qt's Wayland plugin.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-dejavu-core, fonts-noto-core, fonts-noto-color-emoji, fonts-wqy-microhei, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The installed tree's folders are world-readable whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_GENERATOR DEB)
include(CPack)
