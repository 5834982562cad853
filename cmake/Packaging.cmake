# SPDX-License-Identifier: GPL-3.0-or-later
# What `cmake --install` puts in place, and so what debian/rules packs: both executables, their
# manual pages, the desktop entry, the icon in the hicolor theme and the AppStream metainfo.
include(GNUInstallDirs)

set(packaging ${CMAKE_SOURCE_DIR}/packaging)

install(TARGETS ringscout ringscout-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${packaging}/${RINGSCOUT_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${packaging}/${RINGSCOUT_APP_ID}.metainfo.xml.in
    ${CMAKE_BINARY_DIR}/packaging/${RINGSCOUT_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${RINGSCOUT_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(page ringscout ringscout-sim)
    configure_file(${packaging}/${page}.1.in ${CMAKE_BINARY_DIR}/packaging/${page}.1 @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/packaging/${page}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
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
