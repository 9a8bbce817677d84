"""The registry an import leaves, in one form for Wine's export and for import-dump.

A registry is {key: Key}; keys and value names are held as the file's bytes (each byte the
character of the same code point) and compared without regard to ASCII letter case; a
value's data is the bytes the registry stores (strings as UTF-16LE with the terminator).
Only HKEY_LOCAL_MACHINE\\Drivers and the keys under it count.
"""
import collections
import difflib
import json
import re
import zlib

DRIVERS = "HKEY_LOCAL_MACHINE\\Drivers"
DRIVER_KEY = DRIVERS + "\\BuiltIn\\PCI\\Template\\VKR3916S"
REG_SZ, REG_DWORD = 1, 4

# How the export showed a value: "string" and "dword" can hide bytes (a string is cut at
# its first zero and taken to end in one; a dword shows 4 bytes whatever the size).
Value = collections.namedtuple("Value", "name type data shown")
Key = collections.namedtuple("Key", "path values")


class FormatError(Exception):
    pass


def fold(text):
    """ASCII letters in lower case, every other character as it is (the registry's own
    folding of other letters is not modelled, so the generator keeps to ASCII names)."""
    return text.translate(_FOLD)


_FOLD = {code: code + 32 for code in range(ord("A"), ord("Z") + 1)}


def under_drivers(path):
    folded = fold(path)
    return folded == fold(DRIVERS) or folded.startswith(fold(DRIVERS) + "\\")


def file_bytes(text):
    """A name from the export (Unicode) as the file's bytes: Wine read them as code page
    1252, whose five unassigned bytes it maps to the code points of the same number."""
    out = []
    for char in text:
        try:
            out.append(char.encode("cp1252").decode("latin-1"))
        except UnicodeEncodeError:
            out.append(char if ord(char) < 256 else "\\u{%04x}" % ord(char))
    return "".join(out)


# --- Wine's export ------------------------------------------------------------------------

_ESCAPES = {"\\": "\\", '"': '"', "n": "\n", "r": "\r", "0": "\0"}


def unescape(text):
    out, index = [], 0
    while index < len(text):
        char = text[index]
        if char == "\\" and index + 1 < len(text) and text[index + 1] in _ESCAPES:
            out.append(_ESCAPES[text[index + 1]])
            index += 2
        else:
            out.append(char)
            index += 1
    return "".join(out)


def utf16z(text):
    return text.encode("utf-16-le") + b"\0\0"


def export_data(text):
    """(type, bytes, shown) of an export's value data."""
    if text.startswith('"') and text.endswith('"') and len(text) >= 2:
        return REG_SZ, utf16z(unescape(text[1:-1])), "string"
    match = re.fullmatch(r"dword:([0-9a-fA-F]{8})", text)
    if match:
        return REG_DWORD, int(match.group(1), 16).to_bytes(4, "little"), "dword"
    match = re.fullmatch(r"hex(?:\(([0-9a-fA-F]+)\))?:([0-9a-fA-F,\s]*)", text)
    if not match:
        raise FormatError("unexpected export data: %r" % text[:80])
    kind = int(match.group(1), 16) if match.group(1) is not None else 3
    digits = re.sub(r"[,\s]", "", match.group(2))
    return kind, bytes.fromhex(digits), "hex"


def from_export(text):
    """Wine's export text (regedit /E, version 5.00) as a registry."""
    registry = {}
    lines = text.replace("\r\n", "\n").split("\n")
    values = None
    index = 0
    while index < len(lines):
        line = lines[index]
        index += 1
        if line.startswith("[") and line.endswith("]"):
            path = file_bytes(line[1:-1])
            values = registry.setdefault(fold(path), Key(path, {})).values
            continue
        # A long value goes on over lines that end in "\" and start with two blanks.
        while line.endswith("\\") and index < len(lines) and lines[index].startswith("  "):
            line = line[:-1] + lines[index].lstrip(" ")
            index += 1
        if not line or line.startswith(";") or line == "Windows Registry Editor Version 5.00":
            continue
        match = re.match(r'^(@|"((?:[^"\\]|\\.)*)")=(.*)$', line, re.S)
        if values is None or not match:
            raise FormatError("unexpected export line: %r" % line[:80])
        name = "" if match.group(1) == "@" else file_bytes(unescape(match.group(2)))
        kind, data, shown = export_data(match.group(3))
        values[fold(name)] = Value(name, kind, data, shown)
    return registry


# --- import-dump ----------------------------------------------------------------------------

Dump = collections.namedtuple("Dump", "registry undefined notes")


def from_dump(text):
    """import-dump's JSON: the registry under HKEY_LOCAL_MACHINE\\Drivers, the reason the
    reading is not defined (or None) and the notes."""
    try:
        dump = json.loads(text)
        registry = {}
        for key in dump["keys"]:
            if not under_drivers(key["path"]):
                continue
            folded = fold(key["path"])
            if folded in registry:
                raise FormatError("the key %r twice" % key["path"])
            values = {}
            registry[folded] = Key(key["path"], values)
            for value in key["values"]:
                name = fold(value["name"])
                if name in values:
                    raise FormatError("the value %r twice in %r" % (value["name"], key["path"]))
                values[name] = Value(value["name"], int(value["type"]),
                                     bytes.fromhex(value["data"]), "exact")
        return Dump(registry, dump.get("undefined"), dump.get("notes") or [])
    except (ValueError, KeyError, TypeError, AttributeError) as error:
        raise FormatError("import-dump's output cannot be read: %s" % error)


# --- Comparison -----------------------------------------------------------------------------

def shown_as(value, shown):
    """value's data as an export that showed it as `shown` would give it back."""
    data = value.data
    if shown == "string" and value.type == REG_SZ:
        units = max(len(data) // 2 - 1, 0)
        text = data[:units * 2].decode("utf-16-le", errors="surrogatepass")
        return utf16z(text.split("\0", 1)[0])
    if shown == "dword" and value.type == REG_DWORD and len(data) != 4:
        # An empty value shows as hex(4):, a longer one by its first 4 bytes; behind a
        # shorter one the export shows whatever its buffer held: only its own count counts.
        return None if len(data) > 4 or not data else data
    return data


def same_value(wine, reader):
    """(equal, hidden): hidden when the two are equal only as far as the export shows the
    reader's bytes."""
    if wine.type != reader.type:
        return False, False
    if wine.data == reader.data:
        return True, False
    seen = shown_as(reader, wine.shown)
    if seen is None:
        equal = len(reader.data) > 4 and reader.data[:4] == wine.data
    elif wine.shown == "dword" and len(seen) < 4:
        equal = bool(seen) and wine.data[:len(seen)] == seen
    else:
        equal = seen == wine.data
    return equal, equal


def describe(value):
    data = value.data.hex()
    if len(data) > 64:
        data = "%s... (%d bytes, crc %08x)" % (data[:48], len(value.data), zlib.crc32(value.data))
    return "%s = %d:%s" % (value.name if value.name else "@", value.type, data)


Comparison = collections.namedtuple("Comparison", "equal hidden diff")


def compare(wine, reader):
    """Wine's registry against the reader's: whether they are equal, how many values the
    export could not show whole, and a short diff (Wine's lines "-", the reader's "+")."""
    hidden = 0
    left, right = [], []
    for key in sorted(set(wine) | set(reader)):
        shown = key.replace(fold(DRIVER_KEY), "...")
        if key in wine:
            left.append("[%s]" % shown)
        if key in reader:
            right.append("[%s]" % shown)
        wine_values = wine[key].values if key in wine else {}
        reader_values = reader[key].values if key in reader else {}
        for name in sorted(set(wine_values) | set(reader_values)):
            ours, theirs = wine_values.get(name), reader_values.get(name)
            if ours and theirs:
                equal, lossy = same_value(ours, theirs)
                hidden += lossy
                if equal:
                    line = "[%s] %s" % (shown, describe(ours))
                    left.append(line)
                    right.append(line)
                    continue
            if ours:
                left.append("[%s] %s" % (shown, describe(ours)))
            if theirs:
                right.append("[%s] %s" % (shown, describe(theirs)))
    if left == right:
        return Comparison(True, hidden, "")
    diff = difflib.unified_diff(left, right, "wine", "reader", lineterm="", n=1)
    return Comparison(False, hidden, "\n".join(diff))
