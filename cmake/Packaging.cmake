# SPDX-License-Identifier: GPL-3.0-or-later
# What `cmake --build build --target package` puts in ringscout_<version>_<arch>.deb: both
# executables, the desktop entry, the icon in the hicolor theme and the AppStream metainfo.
include(GNUInstallDirs)

set(RINGSCOUT_APP_ID com.belvane.Ringscout)
set(packaging ${CMAKE_SOURCE_DIR}/packaging)

install(TARGETS ringscout ringscout-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${packaging}/${RINGSCOUT_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${packaging}/${RINGSCOUT_APP_ID}.metainfo.xml.in
    ${CMAKE_BINARY_DIR}/packaging/${RINGSCOUT_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${RINGSCOUT_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${packaging}/${RINGSCOUT_APP_ID}.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The PNG icons are drawn from the SVG at build time (rsvg-convert, Debian's librsvg2-bin).
find_program(RSVG_CONVERT_EXE rsvg-convert)
if(RSVG_CONVERT_EXE)
    set(icons)
    foreach(size 48 256)
        set(png ${CMAKE_BINARY_DIR}/packaging/${size}/${RINGSCOUT_APP_ID}.png)
        add_custom_command(OUTPUT ${png}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging/${size}
            COMMAND ${RSVG_CONVERT_EXE} -w ${size} -h ${size} -o ${png}
                ${packaging}/${RINGSCOUT_APP_ID}.svg
            DEPENDS ${packaging}/${RINGSCOUT_APP_ID}.svg
            COMMENT "Drawing the ${size} px icon")
        install(FILES ${png}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
        list(APPEND icons ${png})
    endforeach()
    add_custom_target(ringscout_icons ALL DEPENDS ${icons})
else()
    message(WARNING "rsvg-convert not found (Debian package librsvg2-bin): the package will "
        "have the SVG icon only")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ringscout)
set(CPACK_PACKAGE_VERSION ${RINGSCOUT_VERSION})
set(CPACK_PACKAGE_VENDOR Belvane)
set(CPACK_PACKAGE_CONTACT "Belvane <ringscout@belvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Shows your search page for the caller while the telephone rings")
set(CPACK_PACKAGE_DESCRIPTION
    "Ringscout learns the caller's number and name from a caller-ID modem,
a YAC server or an Asterisk PBX and shows the page of your own search
URL for that caller. ringscout-sim checks each of the three sources
without a real call.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
# Depends from the libraries the programs load; Debian's own records for the browser engine
# add its helper process, libqt6webenginecore6-bin.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
