# pci_embed_resources(TARGET <target> SCRIPT <file.rc> FILES <file>...)
#
# Embeds a resource script and the files it includes or names (headers, bitmaps) into a
# shared library or program of the Linux build. At build time the script is checked by
# the windowing layer's own reader (a malformed script fails the build with its line) and
# a generated source, added to the target, registers the resources when the module loads.
# The files are found by their names without directory. Regenerated when any input changes.
include_guard(GLOBAL)

set(PCI_EMBED_RESOURCES_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/..)

function(pci_embed_resources)
    cmake_parse_arguments(PARSE_ARGV 0 ARG "" "TARGET;SCRIPT" "FILES")
    if(NOT ARG_TARGET OR NOT ARG_SCRIPT)
        message(FATAL_ERROR "pci_embed_resources: TARGET and SCRIPT are required")
    endif()
    if(NOT TARGET pci_rcembed)
        set(platform_dir ${PCI_EMBED_RESOURCES_SOURCE_DIR}/platform/linux)
        add_executable(pci_rcembed
            ${platform_dir}/ResourceEmbedder.cpp
            ${platform_dir}/ResourceScript.cpp
            ${platform_dir}/BitmapFile.cpp
            ${platform_dir}/Styles.cpp)
        target_include_directories(pci_rcembed PRIVATE ${PCI_EMBED_RESOURCES_SOURCE_DIR})
    endif()

    get_filename_component(script ${ARG_SCRIPT} ABSOLUTE)
    set(files)
    foreach(file IN LISTS ARG_FILES)
        get_filename_component(file ${file} ABSOLUTE)
        list(APPEND files ${file})
    endforeach()
    set(output ${CMAKE_CURRENT_BINARY_DIR}/${ARG_TARGET}_resources.cpp)
    add_custom_command(
        OUTPUT ${output}
        COMMAND pci_rcembed ${output} ${script} ${files}
        DEPENDS pci_rcembed ${script} ${files}
        COMMENT "Embedding the resources of ${ARG_TARGET}"
        VERBATIM)
    target_sources(${ARG_TARGET} PRIVATE ${output})
endfunction()
