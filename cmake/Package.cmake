# The Debian package (cpack -G DEB): the program and its default application files in
# /usr/lib/hanlabel, /usr/bin/hanlabel and /usr/bin/hanlabel-batch, a desktop entry, an icon and AppStream metainfo.
# Its rules belong to the component "package" only, so a plain cmake --install still lays out the
# self-contained folder of src/CMakeLists.txt.

set(HANLABEL_APP_ID org.example.hanlabel CACHE STRING
    "Reverse-DNS id of the desktop entry and the AppStream metainfo")
set(HANLABEL_PACKAGE_MAINTAINER "hanlabel maintainers <maintainers@users.noreply.c-seed-f34afdf8.example>"
    CACHE STRING "Maintainer field of the Debian package")

set(package_lib lib/hanlabel)
set(package_stage ${CMAKE_BINARY_DIR}/package)
install(TARGETS hanlabel hanlabel-batch RUNTIME DESTINATION ${package_lib} COMPONENT package EXCLUDE_FROM_ALL)
file(GLOB app_files ${PROJECT_SOURCE_DIR}/data/app/*)
install(FILES ${app_files} DESTINATION ${package_lib} COMPONENT package EXCLUDE_FROM_ALL)

# /usr/bin/hanlabel and /usr/bin/hanlabel-batch are relative links, so an extracted package runs
# where it lies, and each finds the default application files beside its real executable.
file(MAKE_DIRECTORY ${package_stage})
foreach(program hanlabel hanlabel-batch)
    file(CREATE_LINK ../${package_lib}/${program} ${package_stage}/${program} SYMBOLIC)
    install(FILES ${package_stage}/${program} DESTINATION bin COMPONENT package EXCLUDE_FROM_ALL)
endforeach()

configure_file(${PROJECT_SOURCE_DIR}/packaging/hanlabel.desktop.in
    ${package_stage}/${HANLABEL_APP_ID}.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/hanlabel.metainfo.xml.in
    ${package_stage}/${HANLABEL_APP_ID}.metainfo.xml @ONLY)
install(FILES ${package_stage}/${HANLABEL_APP_ID}.desktop DESTINATION share/applications
    COMPONENT package EXCLUDE_FROM_ALL)
install(FILES ${package_stage}/${HANLABEL_APP_ID}.metainfo.xml DESTINATION share/metainfo
    COMPONENT package EXCLUDE_FROM_ALL)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/hanlabel.svg DESTINATION share/icons/hicolor/scalable/apps
    COMPONENT package EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hanlabel)
set(CPACK_PACKAGE_VENDOR hanlabel)
set(CPACK_PACKAGE_CONTACT "${HANLABEL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "library book labels and member cards on a ZPL II label printer")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Prints the book labels and member cards of a library's circulation desk on a ZPL II label\n"
    "printer, with a Korean user interface. Hangul is sent as bitmaps from a glyph database.")
string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL package)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_STRIP_FILES ON)
# dpkg-shlibdeps finds the shared libraries; what Qt and the fonts load at run time it cannot see.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-nanum, fonts-urw-base35")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ibus-hangul | fcitx5-hangul")
include(CPack)
