# cmake --install and the Debian package (cpack -G DEB in the build folder).
set(OPLEXA_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/oplexa)

install(TARGETS Oplexa LIBRARY DESTINATION ${OPLEXA_INSTALL_VSTDIR})
install(TARGETS oplexa-host oplexa RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS oplexa-wrapper LIBRARY DESTINATION ${OPLEXA_INSTALL_WRAPPERDIR})
install(FILES README.md DESTINATION ${OPLEXA_INSTALL_DOCDIR})
# Beside the README as in the source tree, so its pictures show.
install(DIRECTORY docs/ DESTINATION ${OPLEXA_INSTALL_DOCDIR}/docs FILES_MATCHING PATTERN "*.png"
    PATTERN "*.svg")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME oplexa)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "VST 2 plug-in that logs every call between a host and another plug-in")
set(CPACK_PACKAGE_DESCRIPTION "\
Oplexa sits between an audio host and another VST 2 plug-in: the host loads
Oplexa.so, Oplexa loads the real plug-in, and every dispatcher, audioMaster,
process and parameter call is counted, optionally logged as one line of text,
and forwarded unchanged. A monitor window shows the counters and switches
the logging per opcode. The package also holds oplexa-host, a command-line
VST 2 host, and the oplexa command, which makes a wrapper per plug-in that
hosts load like the plug-in itself.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Oplexa developers <maintainers@oplexa.example>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${OPLEXA_WEB_SITE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time only when there is a display (window, chooser, browser links).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libx11-6, libxext6, fonts-dejavu-core, xdg-utils")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(CPack)
