# Manual pages are installed compressed, as man reads them and Debian packages carry them:
# gzip -9n, without the name and time stamp of the source, so the bytes depend on the
# text alone.
find_program(PCI_GZIP gzip REQUIRED)

# pci_install_man_page(PAGE COMPONENT): docs/PAGE compressed into the build folder, then
# installed to the manual's section 1.
function(pci_install_man_page page component)
    set(source ${PROJECT_SOURCE_DIR}/docs/${page})
    set(compressed ${PROJECT_BINARY_DIR}/man/${page}.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
        COMMAND ${PCI_GZIP} -9n -c ${source} > ${compressed}
        DEPENDS ${source}
        COMMENT "Compressing the manual page ${page}")
    string(REPLACE "." "_" target man_${page})
    add_custom_target(${target} ALL DEPENDS ${compressed})
    install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
endfunction()
