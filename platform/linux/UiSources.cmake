# The windowing layer over its own window objects.
target_sources(platform PRIVATE)
