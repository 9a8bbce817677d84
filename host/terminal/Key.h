// One input event of the terminal, decoded.
#pragma once

namespace terminal {

enum class KeyCode {
    None, // nothing arrived in time
    Char, // a printable character
    Tab,
    BackTab,
    Up,
    Down,
    Left,
    Right,
    Home,
    End,
    Enter,
    Space,
    Escape,
    Backspace,
    F4,
    AltDown,
    AltUp,
    CtrlPageUp,
    CtrlPageDown,
    CtrlLeft,
    CtrlRight,
    CtrlC,
    CtrlL,
    Mouse, // a press of the first button at x, y
    Resize,
    Other,
};

struct Key {
    KeyCode Code = KeyCode::None;
    char Ch = 0; // KeyCode::Char
    int X = 0;   // KeyCode::Mouse
    int Y = 0;
};

} // namespace terminal
