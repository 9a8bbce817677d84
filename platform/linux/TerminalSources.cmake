# The terminal front end over ncurses, part of the Linux windowing layer (devhost uses it
# when it runs on a terminal without a script).
set(CURSES_NEED_NCURSES TRUE)
set(CURSES_NEED_WIDE TRUE)
find_package(Curses REQUIRED)
target_sources(platform PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/terminal/CellBuffer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal/ComboListControl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal/ControlPainter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal/CursesScreen.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal/FocusOrder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal/FrontEnd.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal/HitMap.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal/KeyHandler.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal/MessageBoxView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal/MouseHandler.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal/Palette.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal/PictureRenderer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal/ScreenMap.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal/SizeCheck.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal/TerminalRestore.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal/TextWrap.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal/TreePainter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal/WindowPainter.cpp
)
target_include_directories(platform PRIVATE ${CURSES_INCLUDE_DIRS})
target_link_libraries(platform PRIVATE ${CURSES_LIBRARIES})
