"""Wine's regedit as the judge of a driver file: one private prefix, imports and exports.

Shared by tests/importer/run (a file before and after an edit) and
tests/importer/differential (many generated files, imported in batches).
"""
import os
import shutil
import subprocess
import tempfile

WINE_TIMEOUT = 60
EXPORT_KEY = "HKEY_LOCAL_MACHINE\\Drivers"


class WineError(Exception):
    pass


class Wine:
    def __init__(self, prefix):
        self.env = dict(os.environ)
        self.env["PATH"] = "/usr/lib/wine:" + self.env.get("PATH", "")
        self.env["WINEPREFIX"] = prefix
        self.env["WINEDEBUG"] = "-all"
        self.env["WINEDLLOVERRIDES"] = "mscoree=;mshtml="
        self.env.pop("DISPLAY", None)  # regedit /S and /E open no window
        self.wine = shutil.which("wine64", path=self.env["PATH"]) or "wine64"

    def call(self, *args, check=True, timeout=WINE_TIMEOUT):
        # Output goes to a file, not a pipe: the services Wine starts keep its descriptors
        # open, and a pipe would not end before they do.
        with tempfile.TemporaryFile() as output:
            result = subprocess.run([self.wine, *args], env=self.env, stdin=subprocess.DEVNULL,
                                    stdout=output, stderr=subprocess.STDOUT, timeout=timeout)
            output.seek(0)
            text = output.read().decode(errors="replace")
        if check and result.returncode != 0:
            raise WineError("wine64 %s: status %d: %s" % (" ".join(args), result.returncode, text))
        return result

    def boot(self):
        self.call("wineboot", "-i")
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=WINE_TIMEOUT * 2,
                       stdin=subprocess.DEVNULL)
        # One server for every call: a fresh one per call starts the prefix's services again.
        subprocess.run(["wineserver", "-p"], env=self.env, timeout=WINE_TIMEOUT)

    def shut(self):
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True)

    def import_and_export(self, reg_file, out_file):
        """The registry an import of reg_file into an empty HKLM\\Drivers gives, exported."""
        self.call("reg", "delete", "HKLM\\Drivers", "/f", check=False)
        if os.path.exists(out_file):
            os.remove(out_file)
        # Under load regedit now and then ends with status 1 on a file it imports at the
        # next try; a file it cannot import fails every time.
        for attempt in range(3):
            try:
                self.call("regedit", "/S", windows_path(reg_file))
                break
            except WineError:
                if attempt == 2:
                    raise
                self.call("reg", "delete", "HKLM\\Drivers", "/f", check=False)
        self.call("regedit", "/E", windows_path(out_file), EXPORT_KEY, check=False)
        return read_export_file(out_file)

    def import_and_export_batch(self, reg_files, work):
        """The export after importing each of reg_files into an empty HKLM\\Drivers.

        One cmd.exe runs every import and export (a Wine process per regedit call costs
        more than the import itself). Each import runs in one regedit after a file that
        deletes HKLM\\Drivers. A file whose import ends with another status than 0 is
        imported again on its own, with the retries of import_and_export.
        """
        clear = os.path.join(work, "clear.reg")
        with open(clear, "wb") as handle:
            handle.write(b"REGEDIT4\r\n\r\n[-" + EXPORT_KEY.encode() + b"]\r\n")
        status_file = os.path.join(work, "status.txt")
        if os.path.exists(status_file):
            os.remove(status_file)
        lines = ["@echo off"]
        outs = []
        for number, reg_file in enumerate(reg_files):
            out = os.path.join(work, "export-%04d.reg" % number)
            if os.path.exists(out):
                os.remove(out)
            outs.append(out)
            lines.append('regedit /S "%s" "%s"' % (windows_path(clear), windows_path(reg_file)))
            lines.append('echo %d %%errorlevel%%>> "%s"' % (number, windows_path(status_file)))
            lines.append('regedit /E "%s" %s >nul 2>&1' % (windows_path(out), EXPORT_KEY))
        batch = os.path.join(work, "batch.bat")
        with open(batch, "w", newline="\r\n") as handle:
            handle.write("\n".join(lines) + "\n")
        self.call("cmd", "/c", windows_path(batch), check=False,
                  timeout=WINE_TIMEOUT + 5 * len(reg_files))

        statuses = {}
        if os.path.exists(status_file):
            with open(status_file, "r", errors="replace") as handle:
                for line in handle:
                    words = line.split()
                    if len(words) == 2 and words[0].isdigit():
                        statuses[int(words[0])] = words[1]
        exports = []
        for number, reg_file in enumerate(reg_files):
            if statuses.get(number) == "0":
                exports.append(read_export_file(outs[number]))
            else:
                exports.append(self.import_and_export(reg_file, outs[number]))
        return exports


def read_export_file(path):
    """An export's text; "" when there is none (the import left no HKLM\\Drivers)."""
    if not os.path.exists(path):
        return ""
    with open(path, "rb") as handle:
        data = handle.read()
    if data.startswith(b"\xff\xfe"):
        return data[2:].decode("utf-16-le")
    return data.decode("latin-1")


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")
