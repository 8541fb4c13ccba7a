# Installation as a Linux desktop game and the Debian package.
#   bin/kelmar                  launcher: prepares the per-user game folder, starts the game there
#   libexec/kelmar/kelmar       the program
#   share/kelmar/               pictures and help page (read-only, linked into the game folder),
#                               the other tile sets and felts in sets/ and felts/
#   share/applications/, share/icons/hicolor/, share/metainfo/
include(GNUInstallDirs)

install(TARGETS kelmar RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/kelmar)
install(PROGRAMS ${PROJECT_SOURCE_DIR}/packaging/kelmar-launcher
        DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME kelmar)
install(FILES ${KELMAR_GAME_DIR}/KLBack.bmp ${KELMAR_GAME_DIR}/KLTiles.bmp
              ${KELMAR_GAME_DIR}/KLTFrame.bmp ${KELMAR_GAME_DIR}/KLMRLogo.jpg
              ${KELMAR_GAME_DIR}/Kelmar.htm ${KELMAR_GAME_DIR}/Kachelbogen.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/kelmar)
# The pictures drawn for the larger zoom levels.
foreach(level 150 200 250 300)
    install(FILES ${KELMAR_GAME_DIR}/KLBack${level}.bmp ${KELMAR_GAME_DIR}/KLTiles${level}.bmp
                  ${KELMAR_GAME_DIR}/KLTFrame${level}.bmp ${KELMAR_GAME_DIR}/KLMRLogo${level}.jpg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/kelmar)
endforeach()
# The other tile sets and felts, every level of each (sets/NAME, felts/NAME).
install(DIRECTORY ${KELMAR_GAME_DIR}/sets ${KELMAR_GAME_DIR}/felts
        DESTINATION ${CMAKE_INSTALL_DATADIR}/kelmar)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/kelmar.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/kelmar.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo RENAME org.kelmar.Kelmar.metainfo.xml)
foreach(size 16 32 48 64 128 256)
    set(icon ${PROJECT_SOURCE_DIR}/assets/icons/kelmar-${size}.png)
    if(EXISTS ${icon})
        install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
                RENAME kelmar.png)
    endif()
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/assets/kelmar.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelmar)
set(CPACK_PACKAGE_VENDOR "Kelmar")
set(CPACK_PACKAGE_CONTACT "Kelmar <kelmar@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tile-matching solitaire for the desktop")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6core6 (>= 6.2), libqt6gui6 (>= 6.2), libqt6widgets6 (>= 6.2), qt6-qpa-plugins, libjpeg62-turbo, libicu72, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
include(CPack)
