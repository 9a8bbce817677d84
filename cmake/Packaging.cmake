# The packages: a Debian package of the Linux install (cpack -G DEB), and for Windows a zip
# holding the 64-bit install in x64/ and, when PCI_PACKAGE_WIN32_BUILD names the 32-bit
# build folder, the 32-bit install in x86/, with the README at the top (.ci/windows.sh).
set(CPACK_PACKAGE_NAME pci3916cfg)
set(CPACK_PACKAGE_VENDOR "PCI3916Cfg developers")
set(CPACK_PACKAGE_CONTACT "PCI3916Cfg developers <pci3916cfg@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "configuration library of the PCI-3916 data-acquisition board, with its host devhost")
set(CPACK_PACKAGE_DESCRIPTION
    "The configuration library edits the device setting templates of the PCI-3916 driver\n\
package's registration file in a window with a tree and two tabbed pages. devhost loads\n\
it and shows the window in a terminal, or plays a script of user actions headless.")
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
endif()

include(CPack)
