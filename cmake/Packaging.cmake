# The packages: a Debian package of the Linux install (cpack -G DEB), and for Windows a zip
# holding the 64-bit install in x64/ and, when PCI_PACKAGE_WIN32_BUILD names the 32-bit
# build folder, the 32-bit install in x86/, with the README at the top (.ci/windows.sh).
set(CPACK_PACKAGE_NAME pci3916cfg)
set(CPACK_PACKAGE_VENDOR "PCI3916Cfg developers")
set(CPACK_PACKAGE_CONTACT "PCI3916Cfg developers <pci3916cfg@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "configuration library of the PCI-3916 board, with devhost and pci3916cfg")
# Lines of at most 80 characters, as a package description wants them.
set(CPACK_PACKAGE_DESCRIPTION
    "The configuration library edits the device setting templates of the PCI-3916\n\
driver package's registration file in a window with a tree and two tabbed\n\
pages. devhost loads it and shows the window in a terminal, or plays a script\n\
of user actions headless; pci3916cfg edits the same templates from the command\n\
line.")
set(CPACK_PACKAGE_CHECKSUM SHA256)

if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-windows)
    install(FILES ${PROJECT_SOURCE_DIR}/docs/README-windows.txt DESTINATION . RENAME README.txt
            COMPONENT readme)
    set(PCI_PACKAGE_WIN32_BUILD "" CACHE PATH
        "The 32-bit Windows build folder whose library and host the zip also holds (x86/)")
    set(CPACK_INSTALL_CMAKE_PROJECTS
        "${PROJECT_BINARY_DIR};${PROJECT_NAME};readme;/"
        "${PROJECT_BINARY_DIR};${PROJECT_NAME};runtime;/x64")
    if(PCI_PACKAGE_WIN32_BUILD)
        list(APPEND CPACK_INSTALL_CMAKE_PROJECTS
             "${PCI_PACKAGE_WIN32_BUILD};${PROJECT_NAME};runtime;/x86")
    endif()
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION misc)
    set(CPACK_STRIP_FILES ON)
    # The run-time dependencies (the C and C++ runtimes, ncurses) are read from the
    # binaries; the private libraries are found in the package through their $ORIGIN paths.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    # What every Debian package carries beside its files: the copyright and, compressed, the
    # changelog.
    install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pci3916cfg COMPONENT runtime)
    set(changelog ${PROJECT_BINARY_DIR}/debian/changelog.gz)
    add_custom_command(OUTPUT ${changelog}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/debian
        COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/cmake/debian/changelog > ${changelog}
        DEPENDS ${PROJECT_SOURCE_DIR}/cmake/debian/changelog)
    add_custom_target(debian_changelog ALL DEPENDS ${changelog})
    install(FILES ${changelog} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pci3916cfg COMPONENT runtime)
    # CPack adds ldconfig calls (postinst, postrm) for any library under /usr/lib, the
    # package's private folder included, where the loader cache has nothing to find: the
    # package is rebuilt without them.
    set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/DebWithoutLdconfig.cmake)
endif()

include(CPack)
