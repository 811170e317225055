# The Debian package "vek" (scripts/package-deb.sh, or `cpack -G DEB` in a
# build folder): everything `cmake --install` puts under /usr. Its Depends
# are computed from the programs' shared libraries by dpkg-shlibdeps
# (dpkg-dev), so the Qt libraries come with it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vek)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "VEK developers")
set(CPACK_PACKAGE_CONTACT "${VEK_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VEK_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VEK_PACKAGE_HOMEPAGE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Stream depletion and accretion by the depletion-factor method")
# Lines of the extended description under 80 characters, as Debian's
# tools show them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
       "vek computes how pumping from irrigation wells depletes a stream, and how"
       "water put into recharge sites returns to it, month by month over up to 400"
       "years, by the depletion-factor method."
       "VEKView is the desktop editor of its model input files and the viewer of"
       "its reports and graphs; vektool does the same work from scripts, and the"
       "Python module vek runs models and reads reports in process.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A Debian revision of its own: the package's changelog is changelog.Debian.gz.
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VEK_DEBIAN_REVISION})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# "View in Wordpad" and the report's text editor go through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
# The Python module (in /usr/lib/python3/dist-packages) is built for one
# interpreter version and needs numpy; its frames use pandas when present.
if(VEK_BUILD_PYTHON)
  math(EXPR _vek_py_next "${Python3_VERSION_MINOR} + 1")
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "python3 (>= ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}~), python3 (<< ${Python3_VERSION_MAJOR}.${_vek_py_next}), python3-numpy")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, python3-pandas")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS python3-matplotlib)
endif()

include(CPack)
