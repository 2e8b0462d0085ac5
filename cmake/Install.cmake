# Installed tree and Debian package: the program, its man page, its bash
# completion and the licence of the font it carries; the static library with
# its header, a CMake package (find_package(kavren CONFIG) gives kavren::kavren)
# and a pkg-config file.
#
#   cmake --install build --prefix /some/prefix
#   cpack --config build/CPackConfig.cmake -G DEB -B /some/dir
include(GNUInstallDirs)

install(TARGETS kavren RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/doc/kavren.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The file is named after the command, so bash-completion loads it on first use.
install(FILES ${CMAKE_SOURCE_DIR}/completion/kavren
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# The library. Both package files find the prefix from where they lie, so
# the tree may be installed and moved anywhere.
include(CMakePackageConfigHelpers)
set(KAVREN_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/kavren)
install(TARGETS kavren_library EXPORT kavrenTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${CMAKE_SOURCE_DIR}/include/kavren/kavren.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kavren)
install(EXPORT kavrenTargets NAMESPACE kavren:: DESTINATION ${KAVREN_CMAKE_DIR})
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/kavrenConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/generated/kavrenConfig.cmake INSTALL_DESTINATION ${KAVREN_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/generated/kavrenConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/generated/kavrenConfig.cmake ${CMAKE_BINARY_DIR}/generated/kavrenConfigVersion.cmake
        DESTINATION ${KAVREN_CMAKE_DIR})
file(RELATIVE_PATH KAVREN_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" KAVREN_PC_TO_PREFIX "${KAVREN_PC_TO_PREFIX}")
configure_file(${CMAKE_SOURCE_DIR}/cmake/kavren.pc.in ${CMAKE_BINARY_DIR}/generated/kavren.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/generated/kavren.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The font travels inside the program, so its licence travels with it: as it
# is, and as the copyright file a Debian package needs in its doc directory.
set(KAVREN_FONT_LICENSE ${CMAKE_SOURCE_DIR}/assets/LiberationSans-LICENSE.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${KAVREN_FONT_LICENSE})
file(READ ${KAVREN_FONT_LICENSE} fontLicense)
# So does the GS1 AI table it carries, made from the GS1 Barcode Syntax Dictionary.
set(KAVREN_GS1_LICENSE ${CMAKE_SOURCE_DIR}/assets/gs1/LICENSE)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${KAVREN_GS1_LICENSE})
file(READ ${KAVREN_GS1_LICENSE} gs1License)
file(WRITE ${CMAKE_BINARY_DIR}/generated/copyright.new
     "kavren ${PROJECT_VERSION}\nCopyright (c) 2026 the kavren developers\n\n"
     "The program carries a text font; its copyright and licence follow.\n\n${fontLicense}\n\n"
     "The program carries a table generated from the GS1 Barcode Syntax Dictionary,\n"
     "Copyright (c) GS1 AISBL and contributors; its licence follows.\n\n${gs1License}")
configure_file(${CMAKE_BINARY_DIR}/generated/copyright.new ${CMAKE_BINARY_DIR}/generated/copyright COPYONLY)
install(FILES ${KAVREN_FONT_LICENSE} DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME LICENSE-font.txt)
install(FILES ${CMAKE_BINARY_DIR}/generated/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Debian package.
set(KAVREN_PACKAGE_MAINTAINER "the kavren developers <kavren-maintainers@example.org>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_NAME kavren)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the kavren developers")
set(CPACK_PACKAGE_CONTACT ${KAVREN_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "command-line generator and C++ library of linear barcodes as PNG images")
set(CPACK_PACKAGE_DESCRIPTION
    "kavren draws one linear barcode with its human-readable text per run and writes
it as an RGB PNG image. It knows 22 symbologies (EAN/UPC, Code 128 and GS1-128,
Code 39, Code 93, 2 of 5, Codabar, Code 11, MSI, PostNet and Planet), sizes the
symbol to a given module width or to a fixed image, and exits with a status that
says what went wrong. The same is a static C++ library (header kavren/kavren.h,
CMake package kavren, pkg-config kavren) that renders into memory.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KAVREN_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A statically linked program needs nothing at run time. Otherwise the package
# depends on the libraries the program was linked with, as dpkg-shlibdeps finds
# them, or on Debian 12's names for them where that tool is missing.
if(NOT KAVREN_STATIC_LINK)
    find_program(KAVREN_DPKG_SHLIBDEPS dpkg-shlibdeps)
    if(KAVREN_DPKG_SHLIBDEPS)
        set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    else()
        set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6, libpng16-16, libfreetype6, zlib1g")
    endif()
endif()
if(NOT CPACK_GENERATOR)
    set(CPACK_GENERATOR DEB)
endif()
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/" "/_CPack_Packages/")
include(CPack)

# The installed tree and the package, checked the way a user would use them.
if(BUILD_TESTING)
    set(kavrenSanitized "")
    if(KAVREN_SANITIZE OR KAVREN_SANITIZE_THREAD)
        set(kavrenSanitized 1)
    endif()
    foreach(check tree deb gallery)
        add_test(NAME install_${check}_check
                 COMMAND bash ${CMAKE_SOURCE_DIR}/tests/install_tree_check.sh ${check} ${CMAKE_BINARY_DIR}
                         ${CMAKE_SOURCE_DIR})
        set_tests_properties(install_${check}_check PROPERTIES
            ENVIRONMENT "CMAKE=${CMAKE_COMMAND};CPACK=${CMAKE_CPACK_COMMAND};KAVREN_SANITIZED=${kavrenSanitized}"
            TIMEOUT 300 SKIP_RETURN_CODE 77 LABELS install)
    endforeach()
endif()
