"""The differential check's own parts: the generator, the export's reading, the comparison
and the batched import (with Wine's calls replaced)."""
import collections
import importlib.machinery
import importlib.util
import json
import os
import re
import tempfile
import unittest

import driverfiles
import registrydump
from registrydump import Value, fold
import wineregistry

T1 = registrydump.DRIVER_KEY + "\\Template1"

EXPORT = "\r\n".join([
    "Windows Registry Editor Version 5.00",
    "",
    "[HKEY_LOCAL_MACHINE\\Drivers]",
    "",
    "[%s]" % T1,
    '@="x"',
    '"a\\"b\\\\c"=dword:0000a007',
    '"Long"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\',
    "  17,18",
    '"m"=hex(7):41,00,00,00,00,00',
    '"s"="caf\u00e9 \u20ac\\n\\\\\\""',
    '"e"=hex(4):',
    '"Schalter\u20ac\u0081"=hex:',
    "",
    "[%s\\Power]" % T1,
    "",
])


def dump_json(keys, undefined=None):
    return json.dumps({"keys": [{"path": path, "values": [
        {"name": name, "type": kind, "data": data, "line": 1} for name, kind, data in values]}
        for path, values in keys], "undefined": undefined, "notes": []})


class ExportReading(unittest.TestCase):
    def test_keys_names_and_data_as_the_file_bytes_and_the_stored_bytes(self):
        registry = registrydump.from_export(EXPORT)
        self.assertEqual(sorted(registry), sorted(fold(k) for k in [
            "HKEY_LOCAL_MACHINE\\Drivers", T1, T1 + "\\Power"]))
        values = registry[fold(T1)].values
        self.assertEqual(values[""], Value("", 1, b"x\0\0\0", "string"))
        self.assertEqual(values['a"b\\c'], Value('a"b\\c', 4, b"\x07\xa0\0\0", "dword"))
        self.assertEqual(values["long"].data, bytes(range(25)))
        self.assertEqual(values["m"], Value("m", 7, b"A\0\0\0\0\0", "hex"))
        self.assertEqual(values["s"].data, "caf\u00e9 \u20ac\n\\\"\0".encode("utf-16-le"))
        self.assertEqual(values["e"], Value("e", 4, b"", "hex"))
        # Code page 1252: the euro sign is byte 0x80; the unassigned 0x81 stays itself.
        self.assertIn("schalter\x80\x81", values)
        self.assertEqual(registry[fold(T1 + "\\Power")].values, {})

    def test_escapes_the_export_does_not_write_stay_as_they_are(self):
        self.assertEqual(registrydump.unescape('a\\qb\\\\c\\"\\'), 'a\\qb\\c"\\')

    def test_no_export_is_an_empty_registry(self):
        self.assertEqual(registrydump.from_export(""), {})

    def test_lines_it_cannot_read_are_refused(self):
        for line in ['"x"=qword:1', '"x"=dword:7', "stray", '"x"=hex:zz']:
            with self.subTest(line=line):
                with self.assertRaises(registrydump.FormatError):
                    registrydump.from_export("[%s]\r\n%s\r\n" % (T1, line))
        with self.assertRaises(registrydump.FormatError):
            registrydump.from_export('"x"="before any key"\r\n')


class DumpReading(unittest.TestCase):
    def test_only_the_keys_at_or_under_drivers(self):
        dump = registrydump.from_dump(dump_json([
            ("HKEY_LOCAL_MACHINE", []), ("HKEY_LOCAL_MACHINE\\DriversX", []),
            ("HKEY_CURRENT_USER\\Software", [("a", 4, "01000000")]),
            ("HKEY_LOCAL_MACHINE\\Drivers", []), (T1, [("SwitchID", 4, "01000000")])]))
        self.assertEqual(sorted(dump.registry), [fold("HKEY_LOCAL_MACHINE\\Drivers"), fold(T1)])
        self.assertEqual(dump.registry[fold(T1)].values["switchid"].data, b"\1\0\0\0")
        self.assertIsNone(dump.undefined)

    def test_a_key_or_value_twice_and_broken_output_are_refused(self):
        for text in [dump_json([(T1, []), (T1.lower(), [])]),
                     dump_json([(T1, [("a", 4, "00"), ("A", 3, "00")])]),
                     "{", '{"keys": [{"path": 1}]}', dump_json([(T1, [("a", 4, "0g")])])]:
            with self.subTest(text=text):
                with self.assertRaises(registrydump.FormatError):
                    registrydump.from_dump(text)

    def test_undefined_is_passed_on(self):
        dump = registrydump.from_dump(dump_json([], {"line": 3, "reason": "zero byte"}))
        self.assertEqual(dump.undefined["line"], 3)


def registry(*values, path=T1):
    return {fold(path): registrydump.Key(path, {fold(v.name): v for v in values})}


class Comparison(unittest.TestCase):
    def test_equal_without_regard_to_ascii_case(self):
        wine = registry(Value("SwitchID", 4, b"\1\0\0\0", "dword"), path=T1.upper())
        reader = registry(Value("switchid", 4, b"\1\0\0\0", "exact"))
        self.assertTrue(registrydump.compare(wine, reader).equal)

    def test_every_difference_fails(self):
        base = Value("SwitchID", 4, b"\1\0\0\0", "dword")
        cases = {
            "a byte": registry(base._replace(data=b"\2\0\0\0")),
            "the type": registry(base._replace(type=3)),
            "a value more": registry(base, Value("x", 3, b"", "exact")),
            "a value less": registry(),
            "another name": registry(base._replace(name="SwitchlD")),
            "a key more": {**registry(base), **registry(path=T1 + "\\Power")},
            "no key": {},
            "a non-ASCII letter's case": registry(Value("\xe9", 3, b"", "exact")),
        }
        wine = registry(base)
        wine_accented = registry(Value("\xc9", 3, b"", "hex"))
        for what, reader in cases.items():
            with self.subTest(what=what):
                against = wine_accented if "non-ASCII" in what else wine
                comparison = registrydump.compare(against, reader)
                self.assertFalse(comparison.equal)
                self.assertTrue(comparison.diff.startswith("--- wine\n+++ reader"))

    def test_the_diff_names_the_value_on_both_sides(self):
        diff = registrydump.compare(registry(Value("SwitchID", 4, b"\1\0\0\0", "dword")),
                                    registry(Value("SwitchID", 4, b"\2\0\0\0", "exact"))).diff
        self.assertIn("-[...\\template1] SwitchID = 4:01000000", diff)
        self.assertIn("+[...\\template1] SwitchID = 4:02000000", diff)

    def test_a_string_compares_as_far_as_the_export_shows_it(self):
        shown = Value("s", 1, b"A\0\0\0", "string")
        for data, equal, hidden in [(b"A\0\0\0", True, False), (b"A\0\0\0B\0", True, True),
                                    (b"A\0B\0\0\0", False, False), (b"B\0\0\0", False, False),
                                    (b"A\0", False, False)]:
            with self.subTest(data=data):
                self.assertEqual(registrydump.same_value(shown, Value("s", 1, data, "exact")),
                                 (equal, hidden))

    def test_a_dword_of_another_size_compares_by_the_bytes_it_has(self):
        shown = Value("d", 4, b"\7\0\0\1", "dword")
        for data, equal in [(b"\7", True), (b"\7\0\0\1\9", True), (b"\6", False),
                            (b"", False), (b"\7\0\0\2\9", False)]:
            with self.subTest(data=data):
                self.assertEqual(registrydump.same_value(shown, Value("d", 4, data, "exact"))[0],
                                 equal)
        # Shown in full (hex(4):), every byte counts.
        self.assertFalse(registrydump.same_value(Value("d", 4, b"", "hex"),
                                                 Value("d", 4, b"\7", "exact"))[0])


class Generator(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.files = [driverfiles.generate("test:%d" % n) for n in range(300)]

    def test_the_same_seed_gives_the_same_bytes(self):
        self.assertEqual(driverfiles.generate("test:7"), self.files[7])
        self.assertNotEqual(self.files[7].data, self.files[8].data)

    def test_what_the_import_reads_depending_on_its_past_is_left_out(self):
        for number, generated in enumerate(self.files):
            with self.subTest(file=number):
                self.assertNotIn(b"\0", generated.data)
                self.assertIsNone(re.search(rb"hex\((ffffffff|-1|0*1)\)", generated.data,
                                            re.I))

    def test_every_hazard_occurs_in_a_run(self):
        kinds = collections.Counter()
        for generated in self.files:
            kinds.update(generated.kinds.keys())
        wanted = [
            "header-regedit4", "header-version5", "header-bad", "key-template",
            "key-lookalike", "key-lower-case", "key-other-driver", "key-driver", "key-other",
            "dangling-hex-value", "dangling-default-hex", "dangling-twice", "dangling-at-end",
            "dangling-key-line", "value-continued-hex", "continued-with-blank-between",
            "continued-with-comment-between", "key-blank-after-bracket",
            "key-no-closing-bracket", "key-doubled-after-root", "key-doubled-backslash",
            "key-trailing-backslash", "delete-template", "delete-driver",
            "delete-template-parent", "delete-blank-after-minus", "delete-unknown",
            "name-escape", "name-default", "dword-blank", "dword-nine-digits", "dword-0x",
            "dword-empty", "dword-comment", "hex-three-digits", "hex-0x",
            "hex-blank-before-comma", "hex-blank-after-comma", "hex-trailing-comma",
            "hex-comment", "hex4-blank-inside", "hex-n-empty", "hex7", "hexb", "hex2",
            "string-escape", "string-comment", "string-junk", "string-digit", "value-delete",
            "comment", "comment-hash", "blank", "text", "value-long-trigger-mode",
            "ends-crlf", "ends-lf", "ends-cr", "ends-mixed", "no-final-line-end"]
        missing = [kind for kind in wanted if kinds[kind] < 3]
        self.assertEqual(missing, [])

    def test_line_ends_and_the_file_end_vary(self):
        datas = [g.data for g in self.files]
        self.assertTrue(any(b"\r\n" in d and re.search(rb"\r[^\n]", d) and
                            re.search(rb"[^\r]\n", d) for d in datas))
        self.assertTrue(any(not d.endswith((b"\n", b"\r")) for d in datas))
        self.assertTrue(any(d.rstrip(b"\r\n").endswith(b"\\") for d in datas))
        self.assertTrue(any(re.search(rb"\\(\r\n|\r|\n)\[HKEY", d) for d in datas))


class BatchedImport(unittest.TestCase):
    """Wine's calls replaced: what the batch holds, and that a file whose import did not end
    well is imported again on its own."""

    class FakeWine(wineregistry.Wine):
        def __init__(self, statuses):
            super().__init__("/nonexistent")
            self.statuses = statuses
            self.batch = None
            self.single = []

        def call(self, *args, check=True, timeout=0):
            if args[:2] == ("cmd", "/c"):
                work = os.path.dirname(args[2][2:].replace("\\", "/"))
                with open(os.path.join(work, "batch.bat"), newline="") as handle:
                    self.batch = handle.read()
                with open(os.path.join(work, "status.txt"), "w") as handle:
                    for number, status in enumerate(self.statuses):
                        handle.write("%d %s\n" % (number, status))
                for number in range(len(self.statuses)):
                    path = os.path.join(work, "export-%04d.reg" % number)
                    with open(path, "wb") as handle:
                        handle.write(b"\xff\xfe" + ("batch %d" % number).encode("utf-16-le"))
            return None

        def import_and_export(self, reg_file, out_file):
            self.single.append(os.path.basename(reg_file))
            return "single"

    def test_one_batch_and_a_second_try_for_a_failed_import(self):
        with tempfile.TemporaryDirectory() as work:
            files = [os.path.join(work, "f%d.reg" % n) for n in range(3)]
            wine = self.FakeWine(["0", "1", "0"])
            exports = wine.import_and_export_batch(files, work)
            self.assertEqual(exports, ["batch 0", "single", "batch 2"])
            self.assertEqual(wine.single, ["f1.reg"])
            lines = wine.batch.split("\r\n")
            self.assertEqual(lines[0], "@echo off")
            self.assertEqual(lines[1], 'regedit /S "%s" "%s"' % (
                wineregistry.windows_path(os.path.join(work, "clear.reg")),
                wineregistry.windows_path(files[0])))
            self.assertEqual(sum(line.startswith("regedit /E") for line in lines), 3)
            with open(os.path.join(work, "clear.reg"), "rb") as handle:
                self.assertIn(b"[-HKEY_LOCAL_MACHINE\\Drivers]", handle.read())

    def test_a_missing_status_counts_as_a_failed_import(self):
        with tempfile.TemporaryDirectory() as work:
            files = [os.path.join(work, "f%d.reg" % n) for n in range(2)]
            wine = self.FakeWine(["0"])
            self.assertEqual(wine.import_and_export_batch(files, work), ["batch 0", "single"])


def load_differential():
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "differential")
    loader = importlib.machinery.SourceFileLoader("differential", path)
    found = importlib.util.spec_from_loader("differential", loader)
    module = importlib.util.module_from_spec(found)
    loader.exec_module(module)
    return module


class Runner(unittest.TestCase):
    differential = load_differential()

    def test_cases_are_named_for_their_seed_and_repeat(self):
        with tempfile.TemporaryDirectory() as first, tempfile.TemporaryDirectory() as second:
            cases = self.differential.make_cases([3916, 12], 5, first)
            again = self.differential.make_cases([3916, 12], 5, second)
            self.assertEqual([c.name for c in cases], [
                "seed-3916-000", "seed-3916-001", "seed-12-000", "seed-12-001", "seed-12-002"])
            for case, other in zip(cases, again):
                with open(case.path, "rb") as a, open(other.path, "rb") as b:
                    self.assertEqual(a.read(), b.read())
            self.assertEqual(cases[2].kinds, driverfiles.generate("12:0").kinds)

    def test_the_self_check_needs_a_value_to_change(self):
        dump = registrydump.Dump(registry(Value("SwitchID", 4, b"\1\0\0\0", "exact")), None, [])
        empty = registrydump.Dump(registry(Value("x", 3, b"", "exact")), None, [])
        self.assertTrue(self.differential.self_check(["import-dump: status 1", dump]))
        self.assertFalse(self.differential.self_check([empty]))

    def test_the_self_check_fails_a_comparison_that_sees_nothing(self):
        dump = registrydump.Dump(registry(Value("SwitchID", 4, b"\1\0\0\0", "exact")), None, [])
        blind = lambda wine, reader: registrydump.Comparison(True, 0, "")
        original = registrydump.compare
        registrydump.compare = blind
        try:
            self.assertFalse(self.differential.self_check([dump]))
        finally:
            registrydump.compare = original

    def test_a_found_case_keeps_the_file_and_its_diff(self):
        with tempfile.TemporaryDirectory() as folder:
            source = os.path.join(folder, "in.reg")
            with open(source, "wb") as handle:
                handle.write(b"REGEDIT4\r\n")
            found = os.path.join(folder, "found")
            saved = self.differential.FOUND
            self.differential.FOUND = found
            try:
                case = self.differential.Case("seed-1-007", source, collections.Counter(),
                                              "generated")
                self.differential.save_found(case, "--- wine\n+++ reader")
                self.assertEqual([c.name for c in self.differential.found_cases()],
                                 ["found/seed-1-007"])
            finally:
                self.differential.FOUND = saved
            with open(os.path.join(found, "seed-1-007.reg"), "rb") as handle:
                self.assertEqual(handle.read(), b"REGEDIT4\r\n")
            with open(os.path.join(found, "seed-1-007.diff")) as handle:
                self.assertEqual(handle.read(), "--- wine\n+++ reader\n")


if __name__ == "__main__":
    unittest.main()
