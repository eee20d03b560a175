# The Debian package of the installation (cpack -G DEB): the programs, their
# desktop files, icons and manual pages. The libraries the programs link
# come from dpkg-shlibdeps (package dpkg-dev); what they load or use without
# linking it is named here.
set(CPACK_PACKAGE_NAME tallow-engines)
set(CPACK_PACKAGE_VENDOR "Tallow")
set(CPACK_PACKAGE_CONTACT "Tallow engines team <tallow-engines@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tallow report engines: NDR reports to PDF and RTF documents")
set(CPACK_PACKAGE_DESCRIPTION "TALPDF turns a report that the Tallow desktop application wrote as
an NDR file into a PDF 1.3 document; TalRTF turns it into an RTF document
whose texts, shapes and pictures are placed drawing objects. Both offer a
small dialog (Qt, or the terminal when no display answers) and a command
line that converts without one. ndrdump lists a report's commands.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Metric-compatible faces for the report fonts Arial, Times New Roman and
# Courier New; xdg-open for viewing; TrueType faces for Japanese and Chinese
# report text (without them such text falls back to whatever face is there).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, fonts-ipafont-gothic, fonts-wqy-microhei")
include(CPack)
