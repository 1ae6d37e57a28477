# The Debian package: `scripts/package` runs CPack on an existing build. Its dependencies are
# worked out by dpkg-shlibdeps from the libraries the programs link; the desktop's triggers
# (menu, file types, icons, manual pages) need no maintainer scripts.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrun)
set(CPACK_PACKAGE_VENDOR "Brivak Instruments")
set(CPACK_PACKAGE_CONTACT "Brivak Instruments <support@brivak.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "program, download and chart RV data loggers")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://brivak.example/kestrun)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Named as well, whatever shlibdeps finds: the password check of signatures links libpam0g and
# goes through the PAM modules and the common-auth/common-account rules that the service file
# includes (loaded by PAM, never linked); the report's attached run links libqpdf.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libpam0g, libpam-modules, libpam-runtime, libqpdf29")
# The manual and exported workbooks open in the desktop's own programs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
# The long description; its synopsis is the summary above.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Kestrun is the desktop program for small battery-powered RV data loggers
(temperature, temperature with humidity, voltage, CO2) on a USB-to-serial
cable at 1200 baud. It identifies, programs, starts, stops and erases a
logger, downloads its memory and polls it for live readings; readings are
shown as a table and a zoomable graph, saved to .brv2 files, printed and
exported to a spreadsheet workbook.
.
kestrun-cli does the same from a shell, a script or a cron job.
.
Opening a serial port needs membership of the dialout group.")
# The PAM service "kestrun" (signatures check the signer's password through it) goes to
# /etc/pam.d as a conffile: dpkg keeps a site's own changes to it.
set(CPACK_KESTRUN_PAM_SERVICE ${PROJECT_SOURCE_DIR}/auth/pam.d/kestrun)
set(CPACK_INSTALL_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/KestrunPackagePam.cmake)
file(WRITE ${CMAKE_BINARY_DIR}/debian/conffiles "/etc/pam.d/kestrun\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian/conffiles)
include(CPack)
