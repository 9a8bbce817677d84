"""Driver files made of random line kinds, the ordinary and the hazardous ones.

    generate(seed) -> GeneratedFile(data, kinds)

The same seed gives the same bytes. A file has a header (now and then a wrong one), then
sections: mostly template keys ...\\VKR3916S\\TemplateN, their look-alikes, the driver key
itself and other keys under HKEY_LOCAL_MACHINE\\Drivers, each with value lines of every
form the import accepts or refuses, and between them the lines that an import reads
differently from how they look: a "\\" at a line's end that continues nothing, key lines
the import does not take as one, deletions, names with escapes. Line ends are CR LF, LF or
a lone CR, mixed within a file; the last line may lack one.

Left out, as Wine's own reading of them depends on what it read before: hex(ffffffff),
hex(-1) and zero bytes. hex(1) is left out as the export cannot show its exact bytes.
"""
import collections
import random

ROOT = "HKEY_LOCAL_MACHINE"
DRIVERS = ROOT + "\\Drivers"
TEMPLATE_PARENT = DRIVERS + "\\BuiltIn\\PCI\\Template"
DRIVER_KEY = TEMPLATE_PARENT + "\\VKR3916S"

GeneratedFile = collections.namedtuple("GeneratedFile", "data kinds")

HEADERS = [
    (40, "header-regedit4", "REGEDIT4"),
    (40, "header-version5", "Windows Registry Editor Version 5.00"),
    (1, "header-bad", "REGEDIT5"),
    (1, "header-bad", "regedit4"),
    (1, "header-bad", "REGEDIT 4"),
    (1, "header-blank-around", " REGEDIT4"),
    (1, "header-bad", "REGEDIT4 ;x"),
    (1, "header-bad", "Windows Registry Editor Version 5.0"),
    (1, "header-bad", ""),
    (1, "header-bad", "[" + DRIVER_KEY + "]"),
    (1, "header-bad", "\xef\xbb\xbfREGEDIT4"),
    (1, "header-blank-around", "\tREGEDIT4"),
    (1, "header-blank-around", "REGEDIT4 "),
    (1, "header-blank-around", "Windows Registry Editor Version 5.00\t"),
]


class Builder:
    """One file's lines (Latin-1 text: each character one byte) and the kinds it holds."""

    def __init__(self, rng):
        self.rng = rng
        self.lines = []
        self.kinds = collections.Counter()

    def add(self, kind, *lines):
        self.kinds[kind] += 1
        self.lines.extend(lines)

    def pick(self, choices):
        """One (weight, kind, value...) tuple, by weight."""
        total = sum(choice[0] for choice in choices)
        point = self.rng.uniform(0, total)
        for choice in choices:
            point -= choice[0]
            if point <= 0:
                return choice
        return choices[-1]


# --- Key lines ------------------------------------------------------------------------------

def template_key(index):
    return DRIVER_KEY + "\\Template%d" % index


def any_template_index(b):
    # Most files use a few templates again and again, so that deletions and sections of
    # one key meet each other.
    return b.rng.choice([0, 1, 2, 3, 3, 1, b.rng.randrange(16)])


def key_line(b):
    r = b.rng
    n = any_template_index(b)
    choices = [
        (30, "key-template", lambda: "[%s]" % template_key(n)),
        (4, "key-driver", lambda: "[%s]" % DRIVER_KEY),
        (2, "key-template-parent", lambda: "[%s]" % TEMPLATE_PARENT),
        (2, "key-lookalike", lambda: "[%s\\Template%s]" % (DRIVER_KEY, r.choice(
            ["03", "16", "1Backup", "123", "01", "1 ", "1.old"]))),
        (2, "key-lower-case", lambda: "[%s]" % template_key(n).lower()),
        (1, "key-mixed-case", lambda: "[%s]" % template_key(n).replace("Template", "TEMPLATE")),
        (2, "key-other-driver", lambda: "[%s\\%s\\Template%d]" % (
            TEMPLATE_PARENT, r.choice(["VKR1234", "VKR3916", "VKR3916S2"]), n)),
        (2, "key-backup", lambda: "[%s\\Backup\\VKR3916S\\Template%d]" % (DRIVERS, n)),
        (2, "key-subkey", lambda: "[%s\\Power]" % template_key(n)),
        (3, "key-other", lambda: "[%s\\%s]" % (DRIVERS, r.choice(
            ["Active\\01", "BuiltIn\\Serial", "BuiltIn", "Display", "BuiltIn\\PCI"]))),
        (1, "key-drivers", lambda: "[%s]" % DRIVERS),
        (1, "key-other-root", lambda: "[HKEY_CURRENT_USER\\Software\\Tarnwick\\PCI3916]"),
        (2, "key-blank-after-bracket", lambda: "[ %s]" % template_key(n)),
        (2, "key-blanks-before-bracket",
         lambda: r.choice([" ", "\t", "  "]) + "[%s]" % template_key(n)),
        (2, "key-no-closing-bracket", lambda: "[%s" % template_key(n)),
        (2, "key-doubled-after-root",
         lambda: "[%s\\\\Drivers%s]" % (ROOT, template_key(n)[len(DRIVERS):])),
        (2, "key-doubled-backslash", lambda: "[%s]" % template_key(n).replace(
            "\\Template\\", "\\Template\\\\", 1)),
        (2, "key-trailing-backslash", lambda: "[%s\\]" % template_key(n)),
        (2, "key-text-after-bracket", lambda: "[%s]%s" % (template_key(n), r.choice(
            [" ;old", " junk", "]", "\t", " [x]"]))),
        (1, "key-blank-before-close", lambda: "[%s ]" % template_key(n)),
        (1, "key-short-root", lambda: "[HKLM%s]" % template_key(n)[len(ROOT):]),
        (1, "key-long-name", lambda: "[%s\\%s]" % (DRIVERS, "K" * r.choice([255, 256, 300]))),
        (1, "key-bad-root", lambda: "[%s]" % r.choice(
            ["HKEY_LOCAL_MACHIN\\Drivers\\X", "Drivers\\X", "", "\\", "HKEY_BOGUS\\Drivers",
             "HKEY_LOCAL_MACHINE \\Drivers\\X", " HKEY_LOCAL_MACHINE\\Drivers\\X"])),
        (1, "key-odd-characters", lambda: "[%s%s]" % (template_key(n), r.choice(
            [";x", "=1", "\"", " ] ;x", "\xe9", "/x"]))),
        (8, "delete-template", lambda: "[-%s]" % template_key(n)),
        (2, "delete-driver", lambda: "[-%s]" % DRIVER_KEY),
        (1, "delete-template-parent", lambda: "[-%s]" % TEMPLATE_PARENT),
        (1, "delete-blank-after-minus", lambda: "[- %s]" % template_key(n)),
        (1, "delete-unknown", lambda: r.choice(["[-xyz]", "[-%s\\Nothing]" % DRIVERS, "[-]"])),
        (1, "delete-lower-case", lambda: "[-%s]" % template_key(n).lower()),
        (1, "delete-no-closing-bracket", lambda: "[-%s" % template_key(n)),
        (1, "delete-trailing-text", lambda: "[-%s] ;gone" % template_key(n)),
    ]
    _, kind, make = b.pick(choices)
    b.add(kind, make())
    return kind


# --- Value lines ----------------------------------------------------------------------------

def hex_bytes(r, count):
    return ",".join("%02x" % r.randrange(256) for _ in range(count))


def value_name(b):
    r = b.rng
    _, kind, name = b.pick([
        (30, None, '"SwitchID"'),
        (30, None, '"TriggerMode"'),
        (30, None, '"LatchData"'),
        (5, None, '"Dll"'),
        (3, "name-other-case", r.choice(['"switchid"', '"TRIGGERMODE"', '"latchdata"'])),
        (5, "name-default", "@"),
        (2, "name-empty", '""'),
        (3, "name-escape", r.choice(['"Switch\\ID"', '"a\\"b"', '"a\\\\b"', '"Trigger\\Mode"',
                                     '"x\\n"', '"SwitchID\\\\"'])),
        (1, "name-unterminated", '"SwitchID'),
        (1, "name-bracket", '"[Template1]"'),
        (1, "name-odd-characters", r.choice(['"a=b"', '"a"b"', '"a;b"', '"a b"', '"=\"'])),
        (1, "name-high-bytes", '"Schalter\xe9\x80"'),
        (2, "name-unquoted", r.choice(["SwitchID", " \"SwitchID\"", "'SwitchID'"])),
    ])
    if kind:
        b.kinds[kind] += 1
    return name


def dword_data(b):
    r = b.rng
    digits = "%x" % r.choice([0, 1, 7, 15, 0x10, 0xffffffff, r.randrange(1 << 32)])
    _, kind, text = b.pick([
        (20, "dword", "dword:" + digits.rjust(8, "0")),
        (10, "dword", "dword:" + digits),
        (2, "dword-upper-case", "DWORD:" + digits.upper()),
        (2, "dword-blank", r.choice(["dword: " + digits, "dword:" + digits + " ",
                                     "dword:\t" + digits, "dword :" + digits, " dword:" + digits])),
        (2, "dword-nine-digits", "dword:0" + digits.rjust(8, "0")),
        (2, "dword-0x", "dword:0x" + digits),
        (2, "dword-empty", "dword:"),
        (2, "dword-comment", r.choice(["dword:%s ;old" % digits, "dword:%s;x" % digits,
                                       "dword:%s #x" % digits])),
        (2, "dword-junk", r.choice(["dword:%sg" % digits, "dword:-1", "dword:1,2",
                                    "dword:100000000", "dword:+1", "dword:1 2", "dword:7\t;x"])),
    ])
    b.kinds[kind] += 1
    return text


def hex_list(b, count):
    """count bytes in one of the list spellings; the kind says which."""
    r = b.rng
    items = ["%02x" % r.randrange(256) for _ in range(count)]
    _, kind, fix = b.pick([
        (30, "hex", None),
        (2, "hex-upper-case", lambda: [x.upper() for x in items]),
        (2, "hex-three-digits", lambda: ["0" + x for x in items]),
        (2, "hex-one-digit", lambda: [x.lstrip("0") or "0" for x in items]),
        (2, "hex-0x", lambda: ["0x" + x for x in items]),
        (2, "hex-blank-before-comma", lambda: [x + " " for x in items[:-1]] + items[-1:]),
        (2, "hex-blank-after-comma", lambda: items[:1] + [" " + x for x in items[1:]]),
        (2, "hex-junk-item",
         lambda: items[:-1] + [r.choice(["0g", "100", "", "-1", "x", "01;02"])]),
    ])
    if fix and items:
        items = fix()
    text = ",".join(items)
    _, tail_kind, tail = b.pick([
        (30, None, ""),
        (2, "hex-trailing-comma", ","),
        (2, "hex-comment", r.choice([" ;old", ";x", ", ;x", " #x"])),
        (1, "hex-trailing-blank", " "),
    ])
    b.kinds[kind] += 1
    if tail_kind:
        b.kinds[tail_kind] += 1
    return text + tail


def hex_prefix(b):
    r = b.rng
    _, kind, prefix, count = b.pick([
        (30, "hex-binary", "hex:", r.choice([0, 1, 4, 8, 8, 8, 16])),
        (2, "hex-upper-prefix", "HEX:", 4),
        (4, "hex4", "hex(4):", 4),
        (1, "hex4-empty", "hex(4):", 0),
        (1, "hex4-blank-inside", r.choice(["hex(4 ):", "hex( 4):"]), 4),
        (1, "hex-n-empty", "hex():", 4),
        (1, "hex-n-0x", "hex(0x4):", 4),
        (2, "hex7", "hex(7):", None),
        (2, "hex2", "hex(2):", None),
        (2, "hexb", "hex(b):", 8),
        (1, "hex3", "hex(3):", 4),
        (1, "hex0", "hex(0):", r.choice([0, 2])),
        (1, "hex-n-upper", "hex(B):", 8),
        (1, "hex-n-blank-after", "hex(3): ", 2),
        (1, "hex-n-leading-zeros", r.choice(["hex(04):", "hex(00000004):", "hex(003):"]), 4),
        (1, "hex-n-large", r.choice(["hex(100):", "hex(80000000):", "hex(fffffffe):"]), 2),
        (1, "hex-n-junk", r.choice(["hex(4g):", "hex(0x):", "hex(4)", "hex(4):(", "hex((4)):"]), 4),
        (2, "hex7-raw", "hex(7):", r.choice([1, 3, 5, 6])),
        (2, "hex2-raw", "hex(2):", r.choice([1, 2, 4, 7])),
    ])
    b.kinds[kind] += 1
    return prefix, count


def string_bytes(r):
    """UTF-16LE text as a hex(2) or hex(7) list would hold it (REG_EXPAND_SZ, REG_MULTI_SZ)."""
    words = [r.choice(["A", "%SystemRoot%", "ab", "\xe9"]) for _ in range(r.randrange(1, 3))]
    units = "\0".join(words) + "\0\0"
    return ",".join("%02x,00" % ord(c) for c in units)


def string_data(b):
    r = b.rng
    _, kind, text = b.pick([
        (20, "string", '"VKR3916S.dll"'),
        (3, "string-empty", '""'),
        (3, "string-digit", r.choice(['"5"', '"01"'])),
        (3, "string-escape", r.choice(['"a\\\\b"', '"a\\"b"', '"line\\nnext"', '"x\\ty"',
                                       '"back\\\\"', '"C:\\\\Windows"', '"q\\r"'])),
        (2, "string-comment", '"x" ;old'),
        (2, "string-junk", r.choice(['"x"junk', '"x" y', '"x""y"', '"x"\\'])),
        (2, "string-unterminated", '"abc'),
        (2, "string-high-bytes", '"caf\xe9 \x80\x9f\xff"'),
        (1, "string-zero-escape", '"a\\0b"'),
        (1, "string-bracket", '"[%s]"' % template_key(1)),
        (1, "string-escaped-quote-at-end", '"a\\"'),
        (1, "string-unknown-escape", r.choice(['"a\\qb"', '"\\x41"', '"\\ "'])),
        (1, "string-with-comment-character", r.choice(['"x;y"', '"#x"', '"a\\\";"'])),
        (1, "string-long", '"%s"' % ("s" * r.choice([300, 2100]))),
    ])
    b.kinds[kind] += 1
    return text


def value_line(b, name=None):
    """One value, as one or more lines."""
    r = b.rng
    name = name or value_name(b)
    form = b.pick([(8, "dword"), (8, "hex"), (3, "string"), (2, "delete"), (1, "other")])[1]
    if form == "dword":
        b.add("value-dword", "%s=%s" % (name, dword_data(b)))
    elif form == "string":
        b.add("value-string", "%s=%s" % (name, string_data(b)))
    elif form == "delete":
        b.add("value-delete", "%s=%s" % (name, r.choice(["-", "-", " -", "- ", "-;x", "--"])))
    elif form == "other":
        _, kind, text = b.pick([
            (2, "value-no-data", "%s=" % name),
            (1, "value-blank-around-equals", "%s = dword:1" % name),
            (1, "value-no-equals", name),
            (1, "value-unknown-type", "%s=qword:1" % name),
            (1, "value-equals-only", "="),
        ])
        b.add(kind, text)
    else:
        prefix, count = hex_prefix(b)
        if count is None:
            b.add("value-hex", "%s=%s%s" % (name, prefix, string_bytes(r)))
        elif r.random() < 0.25 and count and "4" not in prefix:
            continued_hex(b, name, prefix, max(count, 8))
        else:
            b.add("value-hex", "%s=%s%s" % (name, prefix, hex_list(b, count)))


def continued_hex(b, name, prefix, count):
    """A hex list over several lines, each but the last ending in "\\"; between them now
    and then a blank or a comment line, and continuation lines with or without indent."""
    r = b.rng
    items = ["%02x" % r.randrange(256) for _ in range(count)]
    cut = sorted(r.sample(range(1, count), r.randrange(1, min(4, count - 1) + 1)))
    pieces = [items[a:z] for a, z in zip([0] + cut, cut + [count])]
    lines = []
    for number, piece in enumerate(pieces):
        text = ",".join(piece)
        if number == 0:
            text = "%s=%s%s" % (name, prefix, text)
        else:
            text = r.choice(["  ", "", "\t", "    "]) + text
        if number < len(pieces) - 1:
            text += r.choice([",\\", ",\\", ", \\", ",\\ "])
            lines.append(text)
            if r.random() < 0.2:
                extra = r.choice(["", ";between", "  ", "# between"])
                between = "comment" if extra.strip() else "blank"
                b.kinds["continued-with-%s-between" % between] += 1
                lines.append(extra)
        else:
            lines.append(text)
    b.add("value-continued-hex", *lines)


def long_trigger_mode(b):
    r = b.rng
    count = r.choice([64, 300, 1200, 4000])
    items = ["%02x" % r.randrange(256) for _ in range(count)]
    per_line = r.choice([16, 25, 32])
    rows = [",".join(items[a:a + per_line]) for a in range(0, count, per_line)]
    lines = ['"TriggerMode"=hex:' + rows[0]] + ["  " + row for row in rows[1:]]
    lines = [line + ",\\" for line in lines[:-1]] + lines[-1:]
    b.add("value-long-trigger-mode", *lines)


# --- Hazards and other lines -----------------------------------------------------------------

def dangling_backslash(b):
    """A line ending in "\\" that is not the middle of a hex list; the next line, whatever it
    is, is what the import takes as its continuation."""
    r = b.rng
    _, kind, make = b.pick([
        (3, "dangling-hex-value", lambda: '"%s"=hex:%s,\\' % (
            r.choice(["TriggerMode", "LatchData"]), hex_bytes(r, 4))),
        (2, "dangling-default-hex", lambda: "@=hex:01,\\"),
        (2, "dangling-dword", lambda: '"SwitchID"=dword:%x\\' % r.randrange(16)),
        (1, "dangling-string", lambda: '"Dll"="x"\\'),
        (1, "dangling-comment", lambda: "; a note \\"),
        (1, "dangling-blank", lambda: "\\"),
        (1, "dangling-without-comma", lambda: '"LatchData"=hex:%s%s' % (
            hex_bytes(r, 2), r.choice(["\\", " \\", ",\\ ;x", ", \\\t"]))),
        (1, "dangling-key-line", lambda: "[%s]\\" % template_key(any_template_index(b))),
    ])
    b.add(kind, make())
    # What follows: the case that matters most is a key line.
    follow = b.pick([(4, "key"), (3, "value"), (1, "again"), (1, "blank"), (1, "end")])[1]
    if follow == "key":
        key_line(b)
    elif follow == "value":
        value_line(b)
    elif follow == "again":
        b.kinds["dangling-twice"] += 1
        return dangling_backslash(b)
    elif follow == "blank":
        b.add("blank", "")
    else:
        b.kinds["dangling-at-end"] += 1
        return True
    return False


def other_line(b):
    r = b.rng
    _, kind, text = b.pick([
        (6, "blank", ""),
        (1, "blank-spaces", r.choice(["  ", "\t", " \t "])),
        (4, "comment", r.choice(["; PCI-3916 driver", ";", "; [%s]" % template_key(2)])),
        (2, "comment-hash", r.choice(["# old settings", "#[%s]" % template_key(1)])),
        (1, "comment-indented", "  ; indented"),
        (2, "text", r.choice(["some text", "SwitchID=1", "Template1", "\xe9t\xe9", "]", "-", "["])),
        (1, "text-header-again", r.choice(["REGEDIT4", "Windows Registry Editor Version 5.00"])),
    ])
    b.add(kind, text)


# --- Sections and files ---------------------------------------------------------------------

def section_body(b):
    """The lines under a key line; True when the file must end here (a dangling "\\" that
    has to be the last line)."""
    r = b.rng
    for _ in range(r.choice([0, 1, 2, 3, 3, 3, 4, 5])):
        roll = r.random()
        if roll < 0.62:
            value_line(b)
        elif roll < 0.72:
            other_line(b)
        elif roll < 0.84:
            if dangling_backslash(b):
                return True
        elif roll < 0.87:
            long_trigger_mode(b)
        else:
            key_line(b)
    return False


def template_section(b):
    """A template as the program writes it, now and then with a hazard inside."""
    r = b.rng
    b.add("key-template", "[%s]" % template_key(any_template_index(b)))
    b.add("section-written-form", '"SwitchID"=dword:%08x' % r.randrange(16),
          '"TriggerMode"=hex:' + hex_bytes(r, 8), '"LatchData"=hex:' + hex_bytes(r, 8))
    if r.random() < 0.4:
        return dangling_backslash(b)
    return False


def line_ends(b, count):
    r = b.rng
    style = r.choice(["crlf", "lf", "cr", "mixed", "mixed"])
    b.kinds["ends-" + style] += 1
    if style == "mixed":
        return [r.choice(["\r\n", "\n", "\r"]) for _ in range(count)]
    end = {"crlf": "\r\n", "lf": "\n", "cr": "\r"}[style]
    return [end] * count


def generate(seed):
    b = Builder(random.Random(seed))
    r = b.rng
    _, kind, header = b.pick(HEADERS)
    b.add(kind, header)
    if r.random() < 0.7:
        b.add("blank", "")
    if r.random() < 0.5:
        b.add("key-driver", "[%s]" % DRIVER_KEY, '"Dll"="VKR3916S.dll"', '"Order"=dword:00000014')
    ended = False
    for _ in range(r.randrange(2, 9)):
        if r.random() < 0.35:
            ended = template_section(b)
        else:
            key_line(b)
            ended = section_body(b)
        if ended:
            break
        if r.random() < 0.5:
            other_line(b)
    ends = line_ends(b, len(b.lines))
    if r.random() < 0.2:
        ends[-1] = ""
        b.kinds["no-final-line-end"] += 1
    text = "".join(line + end for line, end in zip(b.lines, ends))
    return GeneratedFile(text.encode("latin-1"), b.kinds)
