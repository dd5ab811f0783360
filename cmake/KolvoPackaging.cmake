# What `cmake --install` puts where, and the Debian package that `cpack -G DEB`
# builds from the same install rules. libkolvo's rules are in
# KolvoLibrary.cmake. One package carries the program, the library, its
# header and kolvo.pc: the header and the pkg-config file are a few
# kilobytes, and the program needs the library anyway, so a -dev package of
# its own would only be one more name to install. (CPack runs ldconfig after
# installing a shared library.)

include(GNUInstallDirs)

install(TARGETS kolvo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS kolvo_fonts_module LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/kolvo)
install(FILES ${PROJECT_SOURCE_DIR}/docs/kolvo.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# bash-completion loads completions/NAME when NAME is first completed.
install(FILES ${PROJECT_SOURCE_DIR}/docs/completion/kolvo.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME kolvo)

set(CPACK_PACKAGE_NAME kolvo)
set(CPACK_PACKAGE_VENDOR "Kolvo")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "converter from marked-up plain text to seven document formats")
set(CPACK_PACKAGE_DESCRIPTION
    "Kolvo converts a plain-text document written with a small inline markup\n\
(tags such as %bs for bold or %g1 for alpha, and drawing lines for lines and\n\
boxes) into AbiWord, DocBook 5, HTML, RTF, LaTeX, PostScript or PDF, line by\n\
line, with no word processor involved. The same conversions are in the\n\
shared library libkolvo, with a C header and a pkg-config file.")
set(CPACK_PACKAGE_CONTACT "Kolvo developers <kolvo@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The run-time libraries come from the binary itself where dpkg-shlibdeps
# (package dpkg-dev) can read them; otherwise the C and C++ run-time.
find_program(KOLVO_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(KOLVO_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
endif()
set(CPACK_DEBIAN_PACKAGE_SUGGESTS
    "ghostscript, poppler-utils, texlive-latex-base, abiword, bash-completion")

include(CPack)
