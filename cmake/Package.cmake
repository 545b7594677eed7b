# `cpack -G DEB` in the build folder makes zorvane_<version>_amd64.deb from the install rules.
set(CPACK_PACKAGE_NAME zorvane)
set(CPACK_PACKAGE_VENDOR "the Zorvane authors")
set(CPACK_PACKAGE_CONTACT "${ZORVANE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "monitor for the Vorlan serial status line")
# One line of the package's description per line here: dpkg shows them as they are.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Zorvane shows the serial status line of a Vorlan transmitter (57600 baud,"
  "8O1): its 40 PLC and 24 RT7720 signals as lamps with their names from"
  "names.ini, the frame bytes as hex, and a link indicator that turns red"
  "when 40 ms pass without a frame."
  ""
  "Also in the package: zorvane-sim, a simulated transmitter to try the"
  "monitor without the hardware; zorvane-decode, which decodes the line from"
  "a capture or live from a serial port, and publishes it to an MQTT broker,"
  "also as a systemd service with one instance per line; and zorvane-names,"
  "which checks a names file.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Installs with the prefix /usr into a staging folder, so that what names installed paths (the
# systemd unit) names them as they will be.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX ${CPACK_PACKAGING_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not linked, so not found by dpkg-shlibdeps: the window's font and the SVG icon plugin. The
# platform plugins (xcb) come with libqt6gui6, which it finds; scripts/check-package.sh starts
# the monitor with these and nothing that is only recommended.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, libqt6svg6")
# Question boxes answer in the user's language with it; without it they speak English.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
include(CPack)
