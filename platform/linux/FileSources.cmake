# File access over POSIX.
target_sources(platform PRIVATE)
