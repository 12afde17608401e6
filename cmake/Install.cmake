# What `cmake --install` puts under the prefix, and the .deb that CPack builds from it.
include(GNUInstallDirs)

set(RELAYTAB_APP_ID de.vordane.Relaytab)
# The programs find their own files here, ../share/relaytab from their folder.
set(RELAYTAB_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/relaytab)

install(TARGETS relaytab relaytab-run instrument-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${SHIPPED_FILES} DESTINATION ${RELAYTAB_SHARE_DIR})
install(FILES ${HELP_PAGES} DESTINATION ${RELAYTAB_SHARE_DIR}/help)

install(FILES resources/${RELAYTAB_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/${RELAYTAB_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES resources/icons/${RELAYTAB_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
    install(FILES resources/icons/${RELAYTAB_APP_ID}-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${RELAYTAB_APP_ID}.png)
endforeach()

# Man pages, compressed as Debian keeps them; -n leaves the time out so that builds are reproducible.
find_program(GZIP gzip REQUIRED)
set(MAN_PAGES relaytab relaytab-run instrument-sim)
set(MAN_OUTPUTS)
foreach(page ${MAN_PAGES})
    set(out ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
    add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND ${GZIP} -9nc ${PROJECT_SOURCE_DIR}/docs/man/${page}.1 > ${out}
        DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/${page}.1
        VERBATIM)
    list(APPEND MAN_OUTPUTS ${out})
endforeach()
add_custom_target(man_pages ALL DEPENDS ${MAN_OUTPUTS})
install(FILES ${MAN_OUTPUTS} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME relaytab)
set(CPACK_PACKAGE_VENDOR Vordane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Remote-command tool for a measuring instrument's PC application over TCP")
set(CPACK_PACKAGE_DESCRIPTION
    "Relaytab sends ASCII command lines to the command server of a measuring instrument's PC application, "
    "shows every line sent, every wait and every reply in a traffic log with UTC timestamps, and runs command "
    "scripts from eight quick-dial memories, each command paced by the instrument's reply. relaytab-run runs "
    "the same scripts without a window; instrument-sim stands in for the instrument.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Relaytab developers <relaytab@vordane.de>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://relaytab.vordane.de/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window needs a platform plugin, which no library links to.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
include(CPack)
