# The Debian package (cpack -G DEB): the commands /usr/bin/hanlabel and /usr/bin/hanlabel-batch,
# their default application files in /usr/share/hanlabel (where the installed programs look for
# them), manual pages in English and Korean, bash completion, the desktop entry, icon and AppStream
# metainfo, the copyright, the changelog and an example system-wide printer.ini.
# Its rules belong to the component "package" only, so a plain cmake --install still lays out the
# self-contained folder of src/CMakeLists.txt.
include(${CMAKE_CURRENT_LIST_DIR}/ReleaseNotes.cmake)

set(HANLABEL_PACKAGE_MAINTAINER "hanlabel maintainers <maintainers@users.noreply.c-seed-f34afdf8.example>"
    CACHE STRING "Maintainer field of the Debian package")

set(package_stage ${CMAKE_BINARY_DIR}/package)
set(package_doc ${CMAKE_INSTALL_DATADIR}/doc/hanlabel)
file(MAKE_DIRECTORY ${package_stage})

install(TARGETS hanlabel hanlabel-batch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    COMPONENT package EXCLUDE_FROM_ALL)
file(GLOB app_files ${PROJECT_SOURCE_DIR}/data/app/*)
install(FILES ${app_files} DESTINATION ${CMAKE_INSTALL_DATADIR}/hanlabel COMPONENT package EXCLUDE_FROM_ALL)

# The changelog and the AppStream releases come from the release notes.
set(release_notes ${PROJECT_SOURCE_DIR}/docs/RELEASE-NOTES.md)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${release_notes})
hanlabel_read_release_notes(${release_notes} "${HANLABEL_PACKAGE_MAINTAINER}")
file(WRITE ${package_stage}/changelog "${HANLABEL_CHANGELOG}")
execute_process(COMMAND gzip -9n -c ${package_stage}/changelog OUTPUT_FILE ${package_stage}/changelog.gz
    COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${package_stage}/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${package_doc}
    COMPONENT package EXCLUDE_FROM_ALL)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/printer.ini DESTINATION ${package_doc}/examples
    COMPONENT package EXCLUDE_FROM_ALL)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/hanlabel-batch.bash-completion
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME hanlabel-batch
    COMPONENT package EXCLUDE_FROM_ALL)

configure_file(${PROJECT_SOURCE_DIR}/packaging/hanlabel.desktop.in
    ${package_stage}/${HANLABEL_APP_ID}.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/hanlabel.metainfo.xml.in
    ${package_stage}/${HANLABEL_APP_ID}.metainfo.xml @ONLY)
install(FILES ${package_stage}/${HANLABEL_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
    COMPONENT package EXCLUDE_FROM_ALL)
install(FILES ${package_stage}/${HANLABEL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
    COMPONENT package EXCLUDE_FROM_ALL)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/hanlabel.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${HANLABEL_APP_ID}.svg
    COMPONENT package EXCLUDE_FROM_ALL)

# Manual pages, written in scdoc and built with the program (dated by the newest release, so a
# rebuild makes the same bytes).
find_program(SCDOC scdoc)
if(NOT SCDOC)
    message(FATAL_ERROR "scdoc builds the manual pages: bash scripts/setup.sh installs it")
endif()
set(man_pages "")
foreach(language en ko)
    if(language STREQUAL "en")
        set(man_source ${PROJECT_SOURCE_DIR}/packaging/man)
        set(man_section man1)
    else()
        set(man_source ${PROJECT_SOURCE_DIR}/packaging/man/${language})
        set(man_section ${language}/man1)
    endif()
    foreach(command hanlabel hanlabel-batch)
        set(page ${CMAKE_BINARY_DIR}/man/${man_section}/${command}.1)
        add_custom_command(OUTPUT ${page}.gz
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man/${man_section}
            COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${HANLABEL_RELEASE_EPOCH}
                sh -c "\"$0\" < \"$1\" > \"$2\"" ${SCDOC} ${man_source}/${command}.1.scd ${page}
            COMMAND gzip -9nf ${page}
            DEPENDS ${man_source}/${command}.1.scd
            COMMENT "Manual page ${man_section}/${command}.1"
            VERBATIM)
        list(APPEND man_pages ${page}.gz)
        install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/${man_section}
            COMPONENT package EXCLUDE_FROM_ALL)
    endforeach()
endforeach()
add_custom_target(hanlabel_manpages ALL DEPENDS ${man_pages})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hanlabel)
set(CPACK_PACKAGE_VENDOR hanlabel)
set(CPACK_PACKAGE_CONTACT "${HANLABEL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "library book labels and member cards on a ZPL II label printer")
# One line of the extended description each, at most 80 characters.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Prints the book labels and member cards of a library's circulation desk on a\n"
    "ZPL II label printer, with a Korean user interface. Hangul is sent as bitmaps\n"
    "from a glyph database. The command hanlabel-batch prints labels and member\n"
    "lists from scripts.")
string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL package)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/StripSections.cmake)
# dpkg-shlibdeps finds the shared libraries; what Qt and the fonts load at run time it cannot see.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-nanum, fonts-urw-base35")
# A Korean desktop has an input method already; the README says which to add where it has not.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ibus-hangul | fcitx5-hangul")
include(CPack)
