# File access over the Windows file calls.
target_sources(platform_files PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/File.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileReason.cpp
)
target_compile_definitions(platform_files PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(platform_files PUBLIC kernel32)
# The windowing layer over the Windows user interface.
target_sources(platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Application.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Button.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ComboBox.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Static.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TabControl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TreeView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Window.cpp
)
target_compile_definitions(platform PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(platform PUBLIC comctl32 user32 gdi32 kernel32)
