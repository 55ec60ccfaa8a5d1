# The Debian package, made by CPack: `cpack -G DEB` in the build folder (the package preset's).
set(QUORVEX_PACKAGE_MAINTAINER "Quorvex <packages@quorvex.example>"
  CACHE STRING "Maintainer named in the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvex)
set(CPACK_PACKAGE_VENDOR Quorvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${QUORVEX_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "calculator of Chinese individual income tax")
# Lines of the long description stay within 80 columns (Debian's rule).
set(CPACK_PACKAGE_DESCRIPTION
  "Quorvex works out Chinese individual income tax under the rules in force
from 2011 to 2018: wages and salaries, the year-end bonus, labour and writing
remuneration, royalties, property lease and transfer, interest, incidental
and other income, individual business and contracted operation. It shows the
taxable income, the rate, the quick deduction, the tax and the after-tax
amount, and works back from a tax or take-home amount to the pre-tax income.

The package holds the desktop program quorvex and the command quorvex-calc,
which does the same calculations one at a time or for a whole CSV or JSON
Lines sheet.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QUORVEX_HOME_PAGE})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Shared libraries as dpkg-shlibdeps finds them, plus what the program loads by name.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(QUORVEX_BUILD_GUI)
  # The window's font, Qt's own texts in Chinese, and the X11 platform plugin.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei, qt6-translations-l10n, qt6-qpa-plugins")
endif()

include(CPack)
