#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/ from the project's own
fixtures: the sample driver file, the resource scripts and hand-written variations of
the written format. Run from anywhere; the seeds are committed, so this is only needed
when the fixtures change."""
import os
import pathlib

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

rc_files = {
    "library": root / "dialogs/PCI3916Cfg.rc",
    "tree-host": root / "tests/templates/TreeHost.rc",
    "layer-test": root / "tests/wine/LayerTest.rc",
}
header_text = (root / "dialogs/resource.h").read_text(encoding="latin-1")
for name, path in rc_files.items():
    if path.exists():
        text = path.read_text(encoding="latin-1")
        write("resource-script", name, text)
        write("resource-script", name + "-with-header", text + "\n#FILE\n" + header_text)
layer_header = root / "tests/wine/LayerTestResource.h"
if layer_header.exists() and rc_files["layer-test"].exists():
    write("resource-script", "layer-test-own-header",
          rc_files["layer-test"].read_text(encoding="latin-1") + "\n#FILE\n" +
          layer_header.read_text(encoding="latin-1"))
write("resource-script", "preprocessor",
      "#define A 1\n#if defined(A) && A == 1\n#define B 2\n#elif 0\n#else\n#endif\n"
      "#ifdef B\n#undef B\n#endif\n/* comment */ // line\n"
      "7 DIALOGEX 0, 0, 10, 10\nSTYLE WS_POPUP | NOT WS_VISIBLE\nBEGIN\n"
      "    CONTROL \"x\", 1, \"Button\", BS_AUTORADIOBUTTON | WS_GROUP, 1, 1, 2, 2\nEND\n"
      "105 BITMAP \"board.bmp\"\n")
print("seeds written to", corpus)
