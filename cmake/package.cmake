# The Debian package: `cpack` (or `cpack -G DEB`) in the build folder gives
# vostra_VERSION-1_ARCH.deb with what cmake/install.cmake installs, under /usr.
# Its dependencies come from the programs' shared libraries (dpkg-shlibdeps).
set(CPACK_PACKAGE_NAME vostra)
set(CPACK_PACKAGE_VENDOR "The Vostra developers")
set(CPACK_PACKAGE_CONTACT "The Vostra developers <vostra@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Go problem trainer")
set(CPACK_PACKAGE_DESCRIPTION
    "Vostra shows one Go (weiqi, baduk) problem at a time with Black to play,
answers your moves from the problem's solution tree and tells you whether
the line succeeds.  It comes with its own graded collection of problems and
with vostra-problems, which compiles SGF files into a collection.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)

include(CPack)
