# The Debian package: `cpack -G DEB` in a Release build folder makes
# tq580_<version>_<arch>.deb. Its dependencies are read from the libraries
# the program links (dpkg-shlibdeps), so apt-get brings exactly those.
set(CPACK_PACKAGE_NAME tq580)
# The version the program reports (tq580 --version), without its build number.
set(CPACK_PACKAGE_VERSION 1.0.7)
set(CPACK_PACKAGE_VENDOR "Tq580")
set(CPACK_PACKAGE_CONTACT "Tq580 developers <dev@tq580.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Measurement program for Tq580 tissue oximetry sensors")
set(CPACK_PACKAGE_DESCRIPTION
    "Scans for Tq580 near-infrared tissue oximetry sensors over Bluetooth LE, draws OXHb, DXHb, TOHb and STO2 live, marks events, saves records as CSV, converts them to SNIRF and uploads sensors that log on their own.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so not found by shlibdeps: the BlueZ daemon behind
# QtBluetooth. Simulated sensors and file conversion work without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS bluez)
include(CPack)
