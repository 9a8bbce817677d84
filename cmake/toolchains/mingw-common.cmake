# The part of the MinGW-w64 cross-builds shared by both targets: the toolchain file that
# includes this sets CMAKE_SYSTEM_PROCESSOR and PCI_MINGW_TRIPLET first. The runtime
# libraries are linked statically, so the outputs need only Windows' own DLLs.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${PCI_MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${PCI_MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${PCI_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PCI_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
