# File access over POSIX.
target_sources(platform_files PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/File.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileReason.cpp
)
