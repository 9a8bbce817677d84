# pci_embed_resources(TARGET <target> SCRIPT <file.rc> [FILES <file>...])
#
# Compiles a resource script with the resource compiler of the Windows build (windres -O res)
# and embeds the compiled resources into a shared library or program of the Linux build,
# where the windowing layer reads them as the Windows user interface reads a DLL's. A
# malformed script fails the build with its file and line (windres reports them); resources
# the layer cannot show fail it too, naming the dialog and control (pci_rcembed reads them
# with the layer's own reader). FILES are the files the script includes or names (headers,
# bitmaps), found beside it; the step runs again when any of them changes. The tool
# pci_rcembed is built in tools/.
include_guard(GLOBAL)

set(PCI_EMBED_RESOURCES_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/..)

find_program(PCI_WINDRES NAMES x86_64-w64-mingw32-windres windres)
find_path(PCI_MINGW_INCLUDE_DIR windows.h
    PATHS /usr/share/mingw-w64/include /usr/x86_64-w64-mingw32/include NO_DEFAULT_PATH)
if(NOT PCI_WINDRES OR NOT PCI_MINGW_INCLUDE_DIR)
    message(FATAL_ERROR "The resource compiler (x86_64-w64-mingw32-windres) and the Windows "
        "headers are needed to build the dialogs: apt-get install binutils-mingw-w64-x86-64 "
        "mingw-w64-common")
endif()

# windres preprocesses the script with the host's compiler, over the Windows headers as
# system headers, as the Windows toolchain's own preprocessor would.
set(PCI_WINDRES_COMMAND ${PCI_WINDRES}
    --preprocessor=${CMAKE_CXX_COMPILER}
    --preprocessor-arg=-E --preprocessor-arg=-xc --preprocessor-arg=-DRC_INVOKED
    --preprocessor-arg=-D_WIN32 --preprocessor-arg=-isystem${PCI_MINGW_INCLUDE_DIR}
    -O res CACHE INTERNAL "the resource compiler as the Linux build runs it")

function(pci_embed_resources)
    cmake_parse_arguments(PARSE_ARGV 0 ARG "" "TARGET;SCRIPT" "FILES")
    if(NOT ARG_TARGET OR NOT ARG_SCRIPT)
        message(FATAL_ERROR "pci_embed_resources: TARGET and SCRIPT are required")
    endif()

    get_filename_component(script ${ARG_SCRIPT} ABSOLUTE)
    get_filename_component(script_dir ${script} DIRECTORY)
    set(files)
    foreach(file IN LISTS ARG_FILES)
        get_filename_component(file ${file} ABSOLUTE)
        list(APPEND files ${file})
    endforeach()
    set(compiled ${CMAKE_CURRENT_BINARY_DIR}/${ARG_TARGET}.res)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/${ARG_TARGET}_resources.cpp)
    add_custom_command(
        OUTPUT ${compiled}
        COMMAND ${PCI_WINDRES_COMMAND} -I ${script_dir} ${script} ${compiled}
        WORKING_DIRECTORY ${script_dir}
        DEPENDS ${script} ${files}
        COMMENT "Compiling the resources of ${ARG_TARGET}"
        VERBATIM)
    add_custom_command(
        OUTPUT ${output}
        COMMAND pci_rcembed ${output} ${compiled}
        DEPENDS pci_rcembed ${compiled}
        COMMENT "Embedding the resources of ${ARG_TARGET}"
        VERBATIM)
    target_sources(${ARG_TARGET} PRIVATE ${output})
endfunction()
