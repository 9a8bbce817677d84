// Message, notification and flag values of the windowing layer.
//
// The values are those of the Windows user interface, so the Windows implementation
// passes them through unchanged. A translation unit that includes <windows.h> first
// sees the system's own macros instead (same values).
#pragma once

#ifndef WM_DESTROY
inline constexpr unsigned WM_DESTROY = 0x0002;
#endif
#ifndef WM_NOTIFY
inline constexpr unsigned WM_NOTIFY = 0x004E;
#endif
#ifndef WM_INITDIALOG
inline constexpr unsigned WM_INITDIALOG = 0x0110;
#endif
#ifndef WM_COMMAND
inline constexpr unsigned WM_COMMAND = 0x0111;
#endif

#ifndef BN_CLICKED
inline constexpr unsigned BN_CLICKED = 0;
#endif
#ifndef CBN_SELCHANGE
inline constexpr unsigned CBN_SELCHANGE = 1;
#endif
#ifndef TVN_SELCHANGED
inline constexpr unsigned TVN_SELCHANGED = 0u - 400u - 2u; // TVN_SELCHANGEDA
#endif
#ifndef TVN_ITEMEXPANDING
inline constexpr unsigned TVN_ITEMEXPANDING = 0u - 400u - 5u; // TVN_ITEMEXPANDINGA
#endif
#ifndef TVN_ITEMEXPANDED
inline constexpr unsigned TVN_ITEMEXPANDED = 0u - 400u - 6u; // TVN_ITEMEXPANDEDA
#endif
#ifndef TCN_SELCHANGE
inline constexpr unsigned TCN_SELCHANGE = 0u - 550u - 1u;
#endif

#ifndef IDOK
inline constexpr int IDOK = 1;
#endif
#ifndef IDCANCEL
inline constexpr int IDCANCEL = 2;
#endif

#ifndef SW_HIDE
inline constexpr int SW_HIDE = 0;
#endif
#ifndef SW_SHOWNORMAL
inline constexpr int SW_SHOWNORMAL = 1;
#endif

#ifndef RDW_INVALIDATE
inline constexpr unsigned RDW_INVALIDATE = 0x0001;
#endif
#ifndef RDW_ERASE
inline constexpr unsigned RDW_ERASE = 0x0004;
#endif
#ifndef RDW_UPDATENOW
inline constexpr unsigned RDW_UPDATENOW = 0x0100;
#endif

#ifndef MB_OK
inline constexpr unsigned MB_OK = 0x0000;
#endif
#ifndef MB_OKCANCEL
inline constexpr unsigned MB_OKCANCEL = 0x0001;
#endif
#ifndef MB_ICONSTOP
inline constexpr unsigned MB_ICONSTOP = 0x0010;
#endif
#ifndef MB_ICONINFORMATION
inline constexpr unsigned MB_ICONINFORMATION = 0x0040;
#endif

#ifndef BST_UNCHECKED
inline constexpr int BST_UNCHECKED = 0;
#endif
#ifndef BST_CHECKED
inline constexpr int BST_CHECKED = 1;
#endif

// TVM_GETNEXTITEM and TVM_SELECTITEM codes.
#ifndef TVGN_ROOT
inline constexpr unsigned TVGN_ROOT = 0x0000;
#endif
#ifndef TVGN_NEXT
inline constexpr unsigned TVGN_NEXT = 0x0001;
#endif
#ifndef TVGN_PREVIOUS
inline constexpr unsigned TVGN_PREVIOUS = 0x0002;
#endif
#ifndef TVGN_PARENT
inline constexpr unsigned TVGN_PARENT = 0x0003;
#endif
#ifndef TVGN_CHILD
inline constexpr unsigned TVGN_CHILD = 0x0004;
#endif
#ifndef TVGN_FIRSTVISIBLE
inline constexpr unsigned TVGN_FIRSTVISIBLE = 0x0005;
#endif
#ifndef TVGN_NEXTVISIBLE
inline constexpr unsigned TVGN_NEXTVISIBLE = 0x0006;
#endif
#ifndef TVGN_PREVIOUSVISIBLE
inline constexpr unsigned TVGN_PREVIOUSVISIBLE = 0x0007;
#endif
#ifndef TVGN_CARET
inline constexpr unsigned TVGN_CARET = 0x0009;
#endif

// TVM_EXPAND codes.
#ifndef TVE_COLLAPSE
inline constexpr unsigned TVE_COLLAPSE = 0x0001;
#endif
#ifndef TVE_EXPAND
inline constexpr unsigned TVE_EXPAND = 0x0002;
#endif
#ifndef TVE_TOGGLE
inline constexpr unsigned TVE_TOGGLE = 0x0003;
#endif
