# make deb: a Debian package of kropack with its manual page and the setup.exe stub, from the
# release build. cpack installs what is built already; make deb builds it first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kropack)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "packs setup archives and builds Kro setup files")
set(CPACK_PACKAGE_DESCRIPTION "kropack packs, lists, tests and extracts the archives of the \
Kro setup program and builds setup files from the setup.exe stub it installs, a description \
and a product folder.")
set(CPACK_PACKAGE_CONTACT "Kro setup team <setup@kro.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/deb)
include(CPack)
