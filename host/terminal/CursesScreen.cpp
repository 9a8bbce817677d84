#include "host/terminal/CursesScreen.h"

#include <langinfo.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#define NCURSES_WIDECHAR 1
#include <ncursesw/curses.h>

#include "host/terminal/TerminalCheck.h"
#include "host/terminal/TerminalRestore.h"

namespace terminal {
namespace {

// Key codes of our own for the sequences that terminals send for modified keys; ncurses
// decodes them once they are defined.
enum : int {
    kKeyAltDown = KEY_MAX + 1,
    kKeyAltUp,
    kKeyCtrlPageUp,
    kKeyCtrlPageDown,
    kKeyCtrlLeft,
    kKeyCtrlRight,
};

struct Sequence {
    const char* Bytes;
    int Code;
};

constexpr Sequence kSequences[] = {
    {"\033[1;3B", kKeyAltDown},
    {"\033[1;3A", kKeyAltUp},
    {"\033\033[B", kKeyAltDown},
    {"\033\033[A", kKeyAltUp},
    {"\033[5;5~", kKeyCtrlPageUp},
    {"\033[6;5~", kKeyCtrlPageDown},
    {"\033[1;5D", kKeyCtrlLeft},
    {"\033[1;5C", kKeyCtrlRight},
    {"\033Od", kKeyCtrlLeft},
    {"\033Oc", kKeyCtrlRight},
    {"\033[5^", kKeyCtrlPageUp},
    {"\033[6^", kKeyCtrlPageDown},
    {"\033[Z", KEY_BTAB},
    // Ctrl-Tab and Ctrl-Shift-Tab where the terminal reports them (modifyOtherKeys, CSI u):
    // the next and previous page, as Ctrl-PageDown and Ctrl-PageUp.
    {"\033[27;5;9~", kKeyCtrlPageDown},
    {"\033[9;5u", kKeyCtrlPageDown},
    {"\033[27;6;9~", kKeyCtrlPageUp},
    {"\033[9;6u", kKeyCtrlPageUp},
    {"\033[1;5Z", kKeyCtrlPageUp},
};

attr_t AttrsOf(std::uint8_t attrs) {
    attr_t result = A_NORMAL;
    if (attrs & kBold)
        result |= A_BOLD;
    if (attrs & kDim)
        result |= A_DIM;
    if (attrs & kReverse)
        result |= A_REVERSE;
    if (attrs & kUnderline)
        result |= A_UNDERLINE;
    return result;
}

// The line set's character for a box drawing character, for terminals without Unicode.
chtype LineCharacter(char32_t ch) {
    switch (ch) {
    case glyph::kHLine:
        return ACS_HLINE;
    case glyph::kVLine:
        return ACS_VLINE;
    case glyph::kTopLeft:
        return ACS_ULCORNER;
    case glyph::kTopRight:
        return ACS_URCORNER;
    case glyph::kBottomLeft:
        return ACS_LLCORNER;
    case glyph::kBottomRight:
        return ACS_LRCORNER;
    case glyph::kTeeRight:
        return ACS_LTEE;
    case glyph::kTeeLeft:
        return ACS_RTEE;
    case glyph::kTeeDown:
        return ACS_TTEE;
    case glyph::kTeeUp:
        return ACS_BTEE;
    default:
        return ch < 0x80 ? static_cast<chtype>(ch) : static_cast<chtype>('?');
    }
}

Key FromCode(int code) {
    switch (code) {
    case KEY_UP:
        return {KeyCode::Up};
    case KEY_DOWN:
        return {KeyCode::Down};
    case KEY_LEFT:
        return {KeyCode::Left};
    case KEY_RIGHT:
        return {KeyCode::Right};
    case KEY_HOME:
        return {KeyCode::Home};
    case KEY_END:
        return {KeyCode::End};
    case KEY_BTAB:
        return {KeyCode::BackTab};
    case KEY_ENTER:
        return {KeyCode::Enter};
    case KEY_BACKSPACE:
        return {KeyCode::Backspace};
    case KEY_F(4):
        return {KeyCode::F4};
    case KEY_RESIZE:
        return {KeyCode::Resize};
    case kKeyAltDown:
        return {KeyCode::AltDown};
    case kKeyAltUp:
        return {KeyCode::AltUp};
    case kKeyCtrlPageUp:
        return {KeyCode::CtrlPageUp};
    case kKeyCtrlPageDown:
        return {KeyCode::CtrlPageDown};
    case kKeyCtrlLeft:
        return {KeyCode::CtrlLeft};
    case kKeyCtrlRight:
        return {KeyCode::CtrlRight};
    default:
        return {KeyCode::Other};
    }
}

Key FromCharacter(wint_t ch) {
    switch (ch) {
    case '\t':
        return {KeyCode::Tab};
    case '\r':
    case '\n':
        return {KeyCode::Enter};
    case ' ':
        return {KeyCode::Space};
    case 27:
        return {KeyCode::Escape};
    case 3:
        return {KeyCode::CtrlC};
    case 12:
        return {KeyCode::CtrlL};
    case 8:
    case 127:
        return {KeyCode::Backspace};
    default:
        break;
    }
    if (ch >= 0x20 && ch < 0x7F)
        return {KeyCode::Char, static_cast<char>(ch)};
    return {KeyCode::Other};
}

} // namespace

CursesScreen::~CursesScreen() {
    Stop();
}

std::optional<std::string> CursesScreen::Start() {
    if (screen_)
        return std::nullopt;
    std::setlocale(LC_ALL, "");
    unicode_ = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
    if (auto problem = CheckTerminal())
        return problem;
    SaveTerminalState();
    // newterm, unlike initscr, reports an unusable terminal instead of ending the program.
    screen_ = newterm(nullptr, stdout, stdin);
    if (!screen_)
        return CannotUseTerminal();
    set_term(screen_);
    EnterAlternateScreenWhereMissing();
    raw();
    noecho();
    nonl();
    keypad(stdscr, TRUE);
    set_escdelay(25);
    for (const Sequence& sequence : kSequences)
        define_key(sequence.Bytes, sequence.Code);
    if (has_colors()) {
        start_color();
        use_default_colors();
    }
    const char* colorTerm = std::getenv("COLORTERM");
    colours_ = ChooseColourMode(has_colors(), COLORS, colorTerm ? colorTerm : "");
    mousemask(BUTTON1_PRESSED | BUTTON1_CLICKED, nullptr);
    mouseinterval(0);
    ArmTerminalRestore();
    return std::nullopt;
}

void CursesScreen::Stop() {
    if (!screen_)
        return;
    mousemask(0, nullptr);
    endwin();
    std::fflush(stdout);
    LeaveAlternateScreenWhereMissing();
    delscreen(screen_);
    screen_ = nullptr;
    DisarmTerminalRestore();
    std::fflush(stdout);
}

int CursesScreen::Columns() const {
    return screen_ ? COLS : 0;
}

int CursesScreen::Rows() const {
    return screen_ ? LINES : 0;
}

void CursesScreen::Invalidate() {
    if (screen_)
        clearok(curscr, TRUE);
}

int CursesScreen::PairFor(const Cell& cell) {
    if (colours_ == ColourMode::Monochrome)
        return 0;
    const bool full = colours_ != ColourMode::Colours8 && COLORS >= 256;
    const int fg = full ? Nearest256Colour(cell.Fg) : NearestBasicColour(cell.Fg);
    const int bg = full ? Nearest256Colour(cell.Bg) : NearestBasicColour(cell.Bg);
    const int pair = alloc_pair(fg, bg);
    return pair < 0 ? 0 : pair;
}

void CursesScreen::Blit(const CellBuffer& buffer) {
    const int rows = std::min(buffer.Rows(), LINES);
    const int columns = std::min(buffer.Columns(), COLS);
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < columns; ++x) {
            const Cell& cell = buffer.At(x, y);
            const attr_t attrs = AttrsOf(cell.Attrs);
            const int pair = cell.Coloured ? PairFor(cell) : 0;
            if (!unicode_) {
                // The window's rendition carries the colour pair, which may be above 255.
                wattr_set(stdscr, A_NORMAL, 0, const_cast<int*>(&pair));
                mvwaddch(stdscr, y, x, LineCharacter(cell.Ch) | attrs);
                continue;
            }
            const wchar_t text[2] = {static_cast<wchar_t>(cell.Ch), L'\0'};
            cchar_t cc;
            setcchar(&cc, text, attrs, 0, &pair);
            mvwadd_wch(stdscr, y, x, &cc);
        }
    }
    const int normal = 0;
    wattr_set(stdscr, A_NORMAL, 0, const_cast<int*>(&normal));
}

void CursesScreen::OverlayTrueColour(const CellBuffer& buffer,
                                     std::optional<std::pair<int, int>> cursor) {
    std::string out;
    const int rows = std::min(buffer.Rows(), LINES);
    const int columns = std::min(buffer.Columns(), COLS);
    char sequence[96];
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < columns; ++x) {
            const Cell& cell = buffer.At(x, y);
            if (!cell.Coloured)
                continue;
            std::snprintf(sequence, sizeof sequence, "\033[%d;%dH\033[38;2;%d;%d;%d;48;2;%d;%d;%dm",
                          y + 1, x + 1, cell.Fg.R, cell.Fg.G, cell.Fg.B, cell.Bg.R, cell.Bg.G,
                          cell.Bg.B);
            out += sequence;
            AppendUtf8(out, unicode_ ? cell.Ch : U' ');
        }
    }
    if (out.empty())
        return;
    out += "\033[0m";
    if (cursor) {
        std::snprintf(sequence, sizeof sequence, "\033[%d;%dH", cursor->second + 1,
                      cursor->first + 1);
        out += sequence;
    }
    WriteToTerminal(out);
}

void CursesScreen::Show(const CellBuffer& buffer, std::optional<std::pair<int, int>> cursor) {
    if (!screen_)
        return;
    Blit(buffer);
    if (cursor) {
        curs_set(1);
        wmove(stdscr, cursor->second, cursor->first);
    } else {
        curs_set(0);
    }
    wnoutrefresh(stdscr);
    doupdate();
    if (colours_ == ColourMode::TrueColour)
        OverlayTrueColour(buffer, cursor);
}

Key CursesScreen::ReadKey(int timeoutMs) {
    if (!screen_)
        return {};
    wtimeout(stdscr, timeoutMs);
    wint_t ch = 0;
    const int kind = wget_wch(stdscr, &ch);
    if (kind == ERR)
        return {};
    if (kind == KEY_CODE_YES) {
        if (ch == KEY_MOUSE) {
            MEVENT event;
            if (getmouse(&event) == OK && (event.bstate & (BUTTON1_PRESSED | BUTTON1_CLICKED)))
                return {KeyCode::Mouse, 0, event.x, event.y};
            return {KeyCode::Other};
        }
        return FromCode(static_cast<int>(ch));
    }
    if (ch != 27)
        return FromCharacter(ch);
    // Escape then a key at once is that key with Alt.
    wtimeout(stdscr, 0);
    wint_t next = 0;
    const int nextKind = wget_wch(stdscr, &next);
    if (nextKind == ERR)
        return {KeyCode::Escape};
    if (nextKind == KEY_CODE_YES && next == KEY_DOWN)
        return {KeyCode::AltDown};
    if (nextKind == KEY_CODE_YES && next == KEY_UP)
        return {KeyCode::AltUp};
    if (nextKind == KEY_CODE_YES)
        ungetch(static_cast<int>(next));
    else
        unget_wch(static_cast<wchar_t>(next));
    return {KeyCode::Escape};
}

} // namespace terminal
