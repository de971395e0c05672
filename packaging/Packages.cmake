# Debian packages with "cpack -G DEB" in the build folder:
#   quorvia-pallant          the player and the engine with the documentation and examples;
#                            no Qt, for CI images
#   quorvia-pallant-desktop  the desktop program, its desktop entry, icons and bus files
# Library dependencies are computed by dpkg-shlibdeps (package dpkg-dev).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvia-pallant)
set(CPACK_PACKAGE_VENDOR Quorvia)
set(CPACK_PACKAGE_CONTACT "Quorvia Pallant maintainers <pallant@quorvia.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
if(QP_BUILD_GUI)
  set(CPACK_COMPONENTS_ALL player desktop)
else()
  set(CPACK_COMPONENTS_ALL player)
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})

set(CPACK_DEBIAN_PLAYER_PACKAGE_NAME quorvia-pallant)
set(CPACK_COMPONENT_PLAYER_DESCRIPTION
    "tests text-mode programs: headless player and script engine
 Quorvia Pallant tests text-mode programs automatically. It hosts the program under
 test in a pseudo-terminal of its own, drives it with VBScript test scripts that type
 keys and check the screen, and reports failures with the screen as text.
 .
 This package holds pallant-play, the headless player for test runs in CI (JUnit
 reports, time limits, traces), pallant-vbs, the script engine alone, the
 documentation and the example scripts. It needs no graphical libraries.")
# The examples drive these programs.
set(CPACK_DEBIAN_PLAYER_PACKAGE_RECOMMENDS "bc, dialog")

set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME quorvia-pallant-desktop)
set(CPACK_DEBIAN_DESKTOP_PACKAGE_SECTION devel)
# Qt loads its platform plugins at run time, where dpkg-shlibdeps cannot see them.
set(CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS
    "quorvia-pallant (= ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}), qt6-qpa-plugins")
set(CPACK_DEBIAN_DESKTOP_PACKAGE_RECOMMENDS "dbus-user-session, fonts-dejavu-core")
set(CPACK_COMPONENT_DESKTOP_DESCRIPTION
    "tests text-mode programs: desktop program and automation server
 Quorvia Pallant tests text-mode programs automatically. The desktop program mirrors
 the program's screen in a window, forwards what you type, records it as VBScript
 statements, turns a selection on the screen into a check and plays scripts back.
 .
 It is also an automation server on the session bus: outside programs open consoles
 and drive them with the same methods as scripts.")

include(CPack)
