# Both halves over the Windows user interface and file access.
target_sources(platform PRIVATE)
