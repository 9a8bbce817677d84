# The reader of compiled resources, shared by the windowing layer and the build tool that
# embeds resources (tools/ResourceEmbedder.cpp): compiled once for both.
add_library(platform_resources OBJECT
    ${CMAKE_CURRENT_LIST_DIR}/Dib.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ResourceFile.cpp
)
target_include_directories(platform_resources PUBLIC ${PROJECT_SOURCE_DIR})
set_target_properties(platform_resources PROPERTIES POSITION_INDEPENDENT_CODE ON)
# The windowing layer over its own window objects.
target_sources(platform PRIVATE
    $<TARGET_OBJECTS:platform_resources>
    ${CMAKE_CURRENT_LIST_DIR}/Activation.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Application.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Button.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ComboBox.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Desktop.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MessageBox.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Modules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Static.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TabControl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TreeModel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TreeView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Window.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WindowObject.cpp
)
target_link_libraries(platform PRIVATE ${CMAKE_DL_LIBS})
