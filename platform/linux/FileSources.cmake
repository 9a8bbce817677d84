# File access over POSIX.
target_sources(platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/File.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileReason.cpp
)
