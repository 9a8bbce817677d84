// Window style bits of dialog resources, with the values of the Windows user interface.
#pragma once

#include <cstdint>

namespace ui::style {

inline constexpr std::uint32_t WS_POPUP = 0x80000000;
inline constexpr std::uint32_t WS_CHILD = 0x40000000;
inline constexpr std::uint32_t WS_VISIBLE = 0x10000000;
inline constexpr std::uint32_t WS_DISABLED = 0x08000000;
inline constexpr std::uint32_t WS_CAPTION = 0x00C00000;
inline constexpr std::uint32_t WS_BORDER = 0x00800000;
inline constexpr std::uint32_t WS_SYSMENU = 0x00080000;
inline constexpr std::uint32_t WS_GROUP = 0x00020000;
inline constexpr std::uint32_t WS_TABSTOP = 0x00010000;
inline constexpr std::uint32_t WS_OVERLAPPEDWINDOW = 0x00CF0000;

inline constexpr std::uint32_t DS_ABSALIGN = 0x0001;
inline constexpr std::uint32_t DS_SETFONT = 0x0040;

inline constexpr std::uint32_t BS_TYPEMASK = 0x000F;
inline constexpr std::uint32_t BS_PUSHBUTTON = 0x0000;
inline constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x0001;
inline constexpr std::uint32_t BS_RADIOBUTTON = 0x0004;
inline constexpr std::uint32_t BS_GROUPBOX = 0x0007;
inline constexpr std::uint32_t BS_AUTORADIOBUTTON = 0x0009;

inline constexpr std::uint32_t SS_TYPEMASK = 0x001F;
inline constexpr std::uint32_t SS_LEFT = 0x0000;
inline constexpr std::uint32_t SS_BITMAP = 0x000E;

inline constexpr std::uint32_t CBS_SIMPLE = 0x0001;
inline constexpr std::uint32_t CBS_DROPDOWNLIST = 0x0003;
inline constexpr std::uint32_t CBS_TYPEMASK = 0x0003;

} // namespace ui::style
