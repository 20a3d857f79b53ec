# The Debian package: `cpack -G DEB` in the build tree (scripts/package.sh does it). Its content is
# whatever `cmake --install` puts under the prefix, so programs and data that later folders install
# are packaged without being named here.
set(ZORV_PACKAGE_MAINTAINER "Zorv Wired Manager developers <wired-manager@zorv.example>" CACHE STRING
    "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorv-wired-manager)
set(CPACK_PACKAGE_VENDOR Zorv)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${ZORV_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ZORV_HOMEPAGE_URL})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration utility for Zorv USB keyboards")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Zorv Wired Manager finds the connected Zorv keyboards (T5K1, T3H7, T3N9) and
writes lighting effects, colours, key assignments, macros and the keyboard's
system switches into them, keeping the settings in per-device profiles.
.
The package also holds a keyboard emulator for trying the program without the
hardware, an inspector of the machine's HID interfaces and a tool that sends
the program's messages from a shell. A udev rule gives the logged-in user
access to the supported keyboards, so nothing runs as root.")

# Libraries the programs link come from dpkg-shlibdeps. What they load at run time is named here:
# Qt's platform plugins (xcb, wayland, offscreen), the fonts of the Latin and Chinese texts, and the
# LADSPA filters the sound server loads for the headset's equaliser and voice changer.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-core, fonts-noto-cjk, swh-plugins")

# One script reloads udev and re-triggers plugged-in keyboards after install and after removal.
foreach(script postinst postrm)
  configure_file(${CMAKE_SOURCE_DIR}/resources/linux/debian/udev-retrigger.sh
                 ${CMAKE_BINARY_DIR}/debian/${script} COPYONLY FILE_PERMISSIONS
                 OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_BINARY_DIR}/debian/postinst;${CMAKE_BINARY_DIR}/debian/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
