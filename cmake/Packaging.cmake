# The Debian package of the application, from the normal build:
#   cmake --build build && (cd build && cpack -G DEB)   ->  build/varnoll_VERSION_ARCH.deb
# It holds what `cmake --install` installs: the three programs, the launcher entry,
# the icon, the software-centre data, the manual pages and the JSON reference.
# Tests and benchmarks have no install rules, so they never enter it.

set(VARNOLL_MAINTAINER "VarnollMac developers <maintainers@varnoll.invalid>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_PACKAGE_NAME varnoll)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${VARNOLL_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VARNOLL_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VARNOLL_REPOSITORY_URL})
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "free disk space by moving what you choose to the Trash
VarnollMac清理 helps one person free disk space on their own computer without
ever deleting anything itself. It finds old caches and logs, applications with
the files they left behind, large files, duplicate files and old installers,
and shows which folders use the space. Nothing is selected for you: ticked
items go to the Trash after a review, and every clean-up is kept in a history.
.
The package also holds the command-line tools varnoll-scan and varnoll-trash.")
# Libraries from the programs' own links; the window also needs at run time what
# nothing links to: the QML modules it imports (and those of the folder dialog), the
# X11/Wayland platform plugins, the SVG image plugin for its symbols, and the CJK
# fonts its texts are set in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qml6-module-qtquick, qml6-module-qtquick-controls, qml6-module-qtquick-templates, \
qml6-module-qtquick-layouts, qml6-module-qtquick-dialogs, qml6-module-qtquick-window, \
qml6-module-qtqml-workerscript, qml6-module-qt-labs-folderlistmodel, \
qml6-module-qt5compat-graphicaleffects, qt6-qpa-plugins, libqt6svg6, fonts-noto-cjk")
get_property(varnoll_extra_depends GLOBAL PROPERTY VARNOLL_PACKAGE_DEPENDS)
if(varnoll_extra_depends)
  list(JOIN varnoll_extra_depends ", " varnoll_extra_depends)
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ${varnoll_extra_depends}")
endif()
# Qt's own Chinese texts (dialog buttons and the like); without them those stay English.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, qt6-translations-l10n")

include(CPack)
