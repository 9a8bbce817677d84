# Sources shared by both implementations (plain C++ over the headers).
target_sources(platform PRIVATE)
