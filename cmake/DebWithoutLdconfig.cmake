# Run by cpack after it made the Debian package: takes out the maintainer scripts that do
# nothing but call ldconfig (CPack writes them for any library under /usr/lib; this
# package's libraries sit in a private folder, which the loader cache never lists) and
# builds the package again from the same files. Any other script is kept.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(NOT package MATCHES "\\.deb$")
        continue()
    endif()
    set(tree ${CPACK_TOPLEVEL_DIRECTORY}/deb-without-ldconfig)
    file(REMOVE_RECURSE ${tree})
    execute_process(COMMAND dpkg-deb -R ${package} ${tree} RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "dpkg-deb -R ${package} failed")
    endif()
    foreach(script postinst postrm)
        set(path ${tree}/DEBIAN/${script})
        if(NOT EXISTS ${path})
            continue()
        endif()
        # What CPack writes: the shell line, "set -e", and ldconfig for one action.
        file(READ ${path} text)
        string(REGEX REPLACE
               "#![^\n]*\n|set -e\n|if \\[ \"\\$1\" = \"[a-z]+\" \\]; then\n[ \t]*ldconfig\nfi\n"
               "" rest "${text}")
        string(STRIP "${rest}" rest)
        if(rest)
            message(FATAL_ERROR "${script} of ${package} does more than call ldconfig: ${rest}")
        endif()
        file(REMOVE ${path})
    endforeach()
    execute_process(COMMAND dpkg-deb --root-owner-group -b ${tree} ${package}
                    OUTPUT_QUIET RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "dpkg-deb -b ${package} failed")
    endif()
    file(REMOVE_RECURSE ${tree})
endforeach()
