# Sources shared by both implementations (plain C++ over the headers).
target_sources(platform_files PRIVATE ${CMAKE_CURRENT_LIST_DIR}/FileError.cpp)
target_sources(platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/DialogCommon.cpp)
