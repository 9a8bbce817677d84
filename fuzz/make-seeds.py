#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/ from the project's own
fixtures: the sample driver file, the compiled resource scripts and hand-written variations of
the written format. Run from anywhere; the seeds are committed, so this is only needed
when the fixtures change."""
import os
import pathlib
import struct
import subprocess
import tempfile

root = pathlib.Path(__file__).resolve().parent.parent
corpus = root / "fuzz" / "corpus"

PREFIX = "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\Template"


def header(index):
    return f" \r\n{PREFIX}{index}] \r\n"


def section(index, switch_id, trigger, latch):
    return (header(index) + f"\n\"SwitchID\"=dword:{switch_id:x}\r\n"
            f"\n\"TriggerMode\"=hex:{trigger}\r\n\n\"LatchData\"=hex:{latch}\r\n")


def write(folder, name, data):
    path = corpus / folder / name
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data if isinstance(data, bytes) else data.encode("latin-1"))


# The regfile target reads its parameters from the last 21 bytes: the template index, the
# switch ID and the trigger and latch bytes to write.
def trailer(index):
    return bytes([index]) + bytes([5, 0, 0, 0]) + bytes([4, 0] * 4) + bytes([1, 0] * 4)


sample = (root / "samples/driver-tree/Public/Tarnwick/Device_Drivers/PCI3916/PCI3916.reg").read_bytes()
intro = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI]\r\n"
two = intro + section(0, 0, "04,00,04,00,00,00,00,00", "01,00,00,00,00,00,01,00") + \
    section(3, 10, "00,00,00,00,00,00,00,00", "00,00,00,00,00,00,00,00")
regfile_seeds = {
    "sample": sample,
    "empty": b"",
    "two-sections": two.encode(),
    "comment-header": (intro + ";" + PREFIX + "2]\r\n\"SwitchID\"=dword:2\r\n").encode(),
    "trailing-comments": (intro + header(1) + "\"SwitchID\"=dword:3 ;old\r\n"
                          "\"TriggerMode\"=hex:04,00, 04 ; three\r\n\"LatchData\"=hex:4,0\r\n").encode(),
    "lower-case": (intro + PREFIX.lower() + "3]\r\n\"SwitchID\"=dword:0000000F\r\n").encode(),
    "lone-lf": two.replace("\r\n", "\n").encode(),
    "cr-only": two.replace("\r\n", "\r").encode(),
    "no-line-end": (PREFIX + "0]\"SwitchID\"=dword:1").encode(),
    "bracket-in-comment": (intro + header(2) + "\"SwitchID\"=dword:1\r\n; see [notes]\r\n"
                           "\"LatchData\"=hex:01\r\n").encode(),
    "nul-inside": two.encode()[:80] + b"\0" + two.encode()[80:],
    "duplicate-headers": (two + section(0, 7, "04", "01")).encode(),
    "string-values": (intro + header(5) + "\"SwitchID\"=\"five\"\r\n\"X\"=hex(7):41,00,00,00\r\n"
                      "\"LatchData\"=multi_sz:41,00,00,00\r\n").encode(),
}
for i, (name, data) in enumerate(sorted(regfile_seeds.items())):
    write("regfile", name, data + trailer(i % 16))

# The journal target: an even first byte makes a commit of a content into another (the
# content, then where the change starts, how much it removes and what it inserts, then how
# the file is mixed and damaged); an odd one takes a journal and a file as raw bytes.
journal_seeds = {
    "commit-in-place": b"\x00" + b"\x40" + two.encode()[:64] + b"\x10\x00\x00\x00\x00\x00\x00\x00"
                       + b"\x02\x00\x00" + b"AB" + b"\x00\x01" + b"\x55" * 8 + b"\x00",
    "commit-growing": b"\x02" + b"\x80" + two.encode()[:128] + b"\x20\x00\x00\x00\x00\x00\x00\x00"
                      + b"\x00\x00\x00" + b"\x10" + b"\r\n; a note added\r\n" + b"\x01" + b"\xaa" * 8,
    "commit-shrinking": b"\x04" + b"\x80" + two.encode()[:128] + b"\x08\x00\x00\x00\x00\x00\x00\x00"
                        + b"\x40\x00\x00" + b"\x00" + b"\x00\x00" + b"\x0f" * 8 + b"\x02",
    "raw-foreign": b"\x01" + b"\x10my notes\n" + two.encode(),
    "raw-magic": b"\x01" + b"\x40REGUNDO5" + bytes(56) + two.encode(),
}
for name, data in journal_seeds.items():
    write("journal", name, data)

script_seeds = {
    "all-actions": "# every action once\nexpand DeviceTemplate\nexpand PCI-3916\n"
                   "select Template0\ntab 1\nclick 2100\ntab 0\nchoose 1002 3\n"
                   "type 1002 7\nanswer cancel\nclick 1007\nanswer ok\nopen\n"
                   "collapse PCI-3916\nselect PCI-3916\nclick 104\nclick 103\nclick 1006\n",
    "errors": "jump 3\nclick\nclick x\ntab 1 2\nchoose 1002\nanswer maybe\nopen now\nselect\n",
    "blanks": "  \t\n#\n   select   Template 1  \r\n\tclick\t1006\r\n",
}
for name, text in script_seeds.items():
    write("script", name, text)

# The resource-file target reads compiled resources: the project's scripts compiled as the
# build compiles them, with bitmaps of more than 4 KB left out so that the seeds stay small.
# (The corpus also keeps wine-layer-test, written from the script of the retired Wine layer
# test, tests/wine/LayerTest.rc.)
rc_files = {
    "library": root / "dialogs/PCI3916Cfg.rc",
    "tree-host": root / "tests/templates/TreeHost.rc",
    "layer-test": root / "tests/platform/resources/ui_tests.rc",
    "reader-test": root / "tests/platform/resources/reader.rc",
}
windres = ["x86_64-w64-mingw32-windres", "--preprocessor=c++", "--preprocessor-arg=-E",
           "--preprocessor-arg=-xc", "--preprocessor-arg=-DRC_INVOKED",
           "--preprocessor-arg=-D_WIN32", "--preprocessor-arg=-isystem/usr/share/mingw-w64/include",
           "-O", "res"]


def small_entries(res):
    kept, at = b"", 0
    while at + 8 <= len(res):
        data_size, header_size = struct.unpack_from("<II", res, at)
        end = at + header_size + data_size
        end += (4 - end % 4) % 4
        if data_size <= 4096:
            kept += res[at:end]
        at = end
    return kept


with tempfile.TemporaryDirectory() as work:
    for name, path in rc_files.items():
        output = pathlib.Path(work) / (name + ".res")
        subprocess.run(windres + ["-I", str(root), path.name, str(output)], cwd=path.parent,
                       check=True)
        write("resource-file", name, small_entries(output.read_bytes()))
print("seeds written to", corpus)
