#!/usr/bin/env python3
"""Checks a Windows zip file and installer of Tempyra without running them
(the 32-bit ones cannot run on the build machines):

- the zip file holds one folder named as the zip file, with the programs,
  the help documents and the licence as CR LF text; every page and picture
  a help document links is there; its entries are in name order, with one
  date and no building machine's owner or permissions (reproducible);
- each program is a stripped program of the package's processor, a window
  program or a console one as it should be, that imports only DLLs every
  Windows has or that the package carries;
- the installer is an NSIS installer for the same processor, asks for no
  administrator rights and names the version in its version resource.

    check_windows_package.py --arch win64|win32 [--objdump OBJDUMP] ZIP SETUP
"""
import argparse
import html.parser
import os
import re
import struct
import subprocess
import sys
import tempfile
import zipfile

MACHINES = {"win64": 0x8664, "win32": 0x14C}  # IMAGE_FILE_MACHINE_AMD64, _I386
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2
IMAGE_SUBSYSTEM_WINDOWS_CUI = 3
PROGRAMS = {"tempyra.exe": IMAGE_SUBSYSTEM_WINDOWS_GUI,
            "tempyra-cli.exe": IMAGE_SUBSYSTEM_WINDOWS_CUI}
DOCUMENTS = ["help.html", "tutorial.html", "EULA.html", "EULA.txt"]
# DLLs that are part of every Windows the programs run on (Windows 7 and
# later); a program that needs another one must carry it.
SYSTEM_DLLS = {
    "advapi32.dll", "bcrypt.dll", "comctl32.dll", "comdlg32.dll", "crypt32.dll", "gdi32.dll",
    "imm32.dll", "kernel32.dll", "msvcrt.dll", "ntdll.dll", "ole32.dll", "oleaut32.dll",
    "rpcrt4.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "uxtheme.dll", "version.dll",
    "winmm.dll", "ws2_32.dll"
}

failures = []


def fail(message):
    failures.append(message)


class Links(html.parser.HTMLParser):
    """The addresses an HTML page links or shows (href, src)."""

    def __init__(self):
        super().__init__()
        self.addresses = []

    def handle_starttag(self, tag, attrs):
        for name, value in attrs:
            if name in ("href", "src") and value:
                self.addresses.append(value)


class PeHeader:
    """The fields of a PE file's headers that the checks read."""

    def __init__(self, data, what):
        if data[:2] != b"MZ" or len(data) < 0x40:
            raise ValueError(what + " is not a Windows program (no MZ header)")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError(what + " has no PE header")
        (self.machine, _, _, _, self.symbol_count, _,
         _) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        # The subsystem sits at the same place in PE32 and PE32+ headers.
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]


def imported_dlls(objdump, data):
    with tempfile.NamedTemporaryFile(suffix=".exe") as program:
        program.write(data)
        program.flush()
        listing = subprocess.run([objdump, "-p", program.name], check=True, capture_output=True,
                                 text=True).stdout
    return [name.lower() for name in re.findall(r"DLL Name: (\S+)", listing)]


def check_zip(path, arch, objdump):
    stem = os.path.basename(path)[:-len(".zip")]
    if not re.fullmatch(r"tempyra-[0-9][0-9.]*-" + arch, stem):
        fail(f"{path}: not named tempyra-<version>-{arch}.zip")
    with zipfile.ZipFile(path) as archive:
        bad = archive.testzip()
        if bad:
            fail(f"{path}: {bad} is damaged")
        entries = archive.infolist()
        names = [entry.filename for entry in entries]
        if names[0] != stem + "/":
            fail(f"{path}: the first entry is {names[0]}, not the folder {stem}/")
        if names != sorted(names):
            fail(f"{path}: the entries are not in name order: {names}")
        for entry in entries:
            if not entry.filename.startswith(stem + "/"):
                fail(f"{path}: {entry.filename} is outside the folder {stem}/")
            if entry.date_time != entries[0].date_time or entry.date_time[3:] != (0, 0, 0):
                fail(f"{path}: {entry.filename} has its own time {entry.date_time}")
            if entry.create_system != 0 or entry.extra:
                fail(f"{path}: {entry.filename} carries the building machine's attributes")
        files = {name[len(stem) + 1:]: archive.read(name) for name in names if name != stem + "/"}

    for name in list(PROGRAMS) + DOCUMENTS:
        if name not in files:
            fail(f"{path}: {name} is missing")
    for name, content in files.items():
        if name.endswith(".html"):
            links = Links()
            links.feed(content.decode("utf-8"))
            for address in links.addresses:
                local = address.split("#")[0]
                if local and "://" not in local and not local.startswith("mailto:") \
                        and local not in files:
                    fail(f"{path}: {name} links {local}, which the package does not hold")

    licence = files.get("EULA.txt", b"")
    if licence:
        if not licence.endswith(b"\r\n") or licence.count(b"\n") != licence.count(b"\r\n") \
                or licence.count(b"\r") != licence.count(b"\r\n"):
            fail(f"{path}: EULA.txt is not CR LF text")
        text = licence.decode("utf-8")
        if not text.startswith("Tempyra end-user licence agreement\r\n\r\n"):
            fail(f"{path}: EULA.txt does not start with the agreement's title")
        if "<" in text or "&quot;" in text:
            fail(f"{path}: EULA.txt holds HTML")

    for name, content in files.items():
        if not name.lower().endswith((".exe", ".dll")):
            continue
        try:
            header = PeHeader(content, name)
        except ValueError as error:
            fail(f"{path}: {error}")
            continue
        if header.machine != MACHINES[arch]:
            fail(f"{path}: {name} is for machine {header.machine:#x}, not {arch}")
        if header.symbol_count:
            fail(f"{path}: {name} is not stripped")
        if name in PROGRAMS and header.subsystem != PROGRAMS[name]:
            fail(f"{path}: {name} has subsystem {header.subsystem}")
        if objdump:
            carried = {other.lower() for other in files}
            for dll in imported_dlls(objdump, content):
                if dll not in SYSTEM_DLLS and dll not in carried:
                    fail(f"{path}: {name} needs {dll}, which neither Windows nor the package has")
    return stem


def check_setup(path, arch, stem):
    if os.path.basename(path) != stem + "-setup.exe":
        fail(f"{path}: not named {stem}-setup.exe")
    with open(path, "rb") as setup:
        data = setup.read()
    try:
        header = PeHeader(data, path)
    except ValueError as error:
        fail(str(error))
        return
    if header.machine != MACHINES[arch]:
        fail(f"{path}: the installer is for machine {header.machine:#x}, not {arch}")
    if b"NullsoftInst" not in data:
        fail(f"{path}: not an NSIS installer")
    if not re.search(rb'requestedExecutionLevel\s+level="asInvoker"', data):
        fail(f"{path}: the installer's manifest asks for more than the user's rights")
    version = stem.split("-")[1] if stem.count("-") == 2 else "?"
    description = f"Tempyra {version} setup ({arch})".encode("utf-16-le")
    if description not in data:
        fail(f"{path}: the version resource does not name Tempyra {version}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--arch", choices=sorted(MACHINES), required=True)
    parser.add_argument("--objdump", help="objdump that reads PE files (imports checked)")
    parser.add_argument("zip")
    parser.add_argument("setup")
    options = parser.parse_args()
    stem = check_zip(options.zip, options.arch, options.objdump)
    check_setup(options.setup, options.arch, stem)
    for message in failures:
        print("check_windows_package.py: " + message, file=sys.stderr)
    if failures:
        sys.exit(1)
    print(f"{os.path.basename(options.zip)} and {os.path.basename(options.setup)}: checked")


if __name__ == "__main__":
    main()
