#!/usr/bin/env python3
"""The texts that travel with the Windows programs, made from their sources.

  notices.py collect QT_SOURCE DEST PART...
      Keeps what the notices need from a qtbase source tree: its licence
      texts (LICENSES/*.txt) and, for each bundled part (src/3rdparty/PART),
      its qt_attribution.json with the licence files that file names.
      scripts/windows-qt.sh runs it, so that the Qt it builds carries them.

  notices.py licenses QT_LICENSES STAMP MINGW_COPYRIGHT DEST VERSION
      Writes the folder of licences installed beside the programs: NOTICE.txt
      (which Qt is inside vtmerv.exe, under which licence, where its source
      and this program's source are), Qt's LGPL-3.0 and GPL-3.0 texts,
      THIRD-PARTY.txt (every bundled part of Qt as its attribution file
      describes it, with its licence text) and the MinGW-w64 runtime's
      copyright file. STAMP is the line scripts/windows-qt.sh wrote into the
      Qt it built ("qt6-base QT_VERSION: OPTIONS"); VERSION is this program's.

  notices.py readme README.md DEST
      Writes README.md as plain text for Windows' Notepad.

  notices.py text SOURCE DEST
      Writes the text file SOURCE as it is, for Notepad.

Every text written is UTF-8 with a byte order mark and Windows line ends.
"""

import json
import re
import shutil
import sys
import textwrap
from pathlib import Path

WIDTH = 76


def fail(message):
    sys.exit(f"notices: {message}")


def write_windows_text(path, text):
    """UTF-8 with a byte order mark and CR LF line ends, as Notepad reads it."""
    lines = text.replace("\r\n", "\n").replace("\r", "\n").rstrip("\n").split("\n")
    Path(path).write_bytes(b"\xef\xbb\xbf" + "\r\n".join(lines).encode("utf-8") + b"\r\n")


def read_attributions(path):
    # Qt's attribution files hold line breaks inside their strings, which
    # strict JSON refuses.
    entries = json.loads(Path(path).read_text(encoding="utf-8"), strict=False)
    return entries if isinstance(entries, list) else [entries]


def license_files(entry):
    files = entry.get("LicenseFiles") or []
    if entry.get("LicenseFile"):
        files = files + [entry["LicenseFile"]]
    return files


# --- collect -------------------------------------------------------------------

def collect(source, dest, parts):
    source, dest = Path(source), Path(dest)
    if not (source / "LICENSES").is_dir():
        fail(f"{source} is not a qtbase source tree (no LICENSES folder)")
    shutil.rmtree(dest, ignore_errors=True)
    (dest / "LICENSES").mkdir(parents=True)
    for text in sorted((source / "LICENSES").glob("*.txt")):
        shutil.copy2(text, dest / "LICENSES" / text.name)
    for part in parts:
        folder = source / "src" / "3rdparty" / part
        attribution = folder / "qt_attribution.json"
        if not attribution.is_file():
            fail(f"no {attribution}")
        kept = dest / "3rdparty" / part
        kept.mkdir(parents=True)
        shutil.copy2(attribution, kept)
        for entry in read_attributions(attribution):
            for name in license_files(entry):
                (kept / name).parent.mkdir(parents=True, exist_ok=True)
                shutil.copy2(folder / name, kept / name)


# --- licenses ------------------------------------------------------------------

NOTICE = """\
{title}
{underline}

vtmerv.exe contains, linked statically, the Qt library: qtbase {qt_version}
(Qt Core, Qt Gui, Qt Widgets, the Windows platform plugin and the Windows
style), copyright (C) The Qt Company Ltd. and other contributors. This
program uses Qt under the GNU Lesser General Public License version 3
(LGPL-3.0); its text is LGPL-3.0-only.txt in this folder, together with
GPL-3.0-only.txt, the GNU General Public License version 3 that the LGPL
builds on. vtmerv-check.exe and vtmerv-sample.exe contain no Qt.

Where Qt's source is
--------------------
The Qt inside is built, with no change of ours, from Debian's source
package qt6-base, version {qt_package}:

  {snapshot}

(also: apt-get source qt6-base={qt_package}, on Debian 12). It is built
for 64-bit Windows with Debian's mingw-w64 and these options of Qt's
configure:

{options}

Where this program's source is, and relinking
---------------------------------------------
The LGPL gives you the right to change the Qt library inside vtmerv.exe and
to link vtmerv.exe again with your changed Qt. Because Qt is linked
statically, what makes that possible is this program's own source and its
build scripts; they are in this folder, in vtmerv-source.zip: the complete
source of this version of VTMERV, with scripts/windows-qt.sh (which builds
the Qt above from its source), scripts/common.sh (build_windows, which
builds vtmerv.exe with it) and the CMake files. Build your Qt in place of
the one scripts/windows-qt.sh makes and run build_windows: the result is
vtmerv.exe linked with your Qt. The owners of VTMERV permit you to modify
this program's source for that purpose, and to reverse engineer the
program for debugging such modifications, as section 4 of the LGPL
requires; for everything else the terms in vtmerv-COPYRIGHT.txt apply.

Other parts inside vtmerv.exe
-----------------------------
Qt compiles in these parts of other authors, each under its own licence;
THIRD-PARTY.txt in this folder names their authors and holds their
licence texts, as Qt's own attribution files describe them:

{parts}

The three programs also contain the MinGW-w64 runtime (startup code and
the POSIX threads library); mingw-w64-runtime.txt in this folder is its
copyright and licence file. The GNU C++ library linked into them is under
the GCC Runtime Library Exception, which asks for no notice.
"""


def licenses(qt_licenses, stamp, mingw_copyright, dest, version):
    qt_licenses, dest = Path(qt_licenses), Path(dest)
    match = re.fullmatch(r"qt6-base (\S+): (.*)", stamp.strip())
    if not match:
        fail(f"not the stamp of scripts/windows-qt.sh: {stamp!r}")
    qt_package, options = match.groups()
    qt_version = re.sub(r"[+~-].*", "", qt_package)
    dest.mkdir(parents=True, exist_ok=True)

    for name in ("LGPL-3.0-only.txt", "GPL-3.0-only.txt"):
        text = qt_licenses / "LICENSES" / name
        if not text.is_file():
            fail(f"no {text}")
        write_windows_text(dest / name, text.read_text(encoding="utf-8"))
    write_windows_text(dest / "mingw-w64-runtime.txt", Path(mingw_copyright).read_text(encoding="utf-8"))

    names, sections = [], []
    for attribution in sorted((qt_licenses / "3rdparty").glob("*/qt_attribution.json")):
        for entry in read_attributions(attribution):
            title = entry["Name"]
            # Versions that are commit names or addresses stay in THIRD-PARTY.txt alone.
            if re.fullmatch(r"[0-9][\w.+-]{0,15}", entry.get("Version", "")):
                title += f" {entry['Version']}"
            names.append(textwrap.fill(f"{title} ({entry.get('LicenseId') or entry['License']})", WIDTH,
                                       initial_indent="  - ", subsequent_indent="    ", break_on_hyphens=False))
            lines = [title, "=" * min(len(title), WIDTH), ""]
            lines += [f"Part of: Qt's {attribution.parent.name} (src/3rdparty/{attribution.parent.name})"]
            if entry.get("Version") and entry["Version"] not in title:
                lines.append(f"Version: {entry['Version']}")
            if entry.get("Homepage"):
                lines.append(f"Home page: {entry['Homepage']}")
            lines.append(f"Licence: {entry['License']}")
            lines += ["", entry["Copyright"].strip(), ""]
            for name in license_files(entry):
                lines += [f"--- {name} ---", (attribution.parent / name).read_text(encoding="utf-8").rstrip(), ""]
            sections.append("\n".join(lines))
    if not sections:
        fail(f"no attribution files in {qt_licenses / '3rdparty'}")
    write_windows_text(dest / "THIRD-PARTY.txt",
                       "Parts of other authors that Qt compiles into vtmerv.exe\n"
                       "=======================================================\n\n" + "\n\n".join(sections))

    wrapped_options = textwrap.fill(options, WIDTH, initial_indent="  ", subsequent_indent="  ",
                                    break_on_hyphens=False)
    snapshot = f"https://snapshot.debian.org/package/qt6-base/{qt_package.replace('+', '%2B')}/"
    title = f"VTMERV {version}: the Qt library inside vtmerv.exe"
    write_windows_text(dest / "NOTICE.txt", NOTICE.format(
        title=title, underline="=" * len(title), qt_version=qt_version, qt_package=qt_package, snapshot=snapshot,
        options=wrapped_options, parts="\n".join(names)))


# --- readme --------------------------------------------------------------------

def inline(text):
    """Markdown's inline marks as plain text: links keep their text (and an
    address of the web), pictures and emphasis marks go."""
    text = re.sub(r"!\[[^\]]*\]\([^)]*\)", "", text)
    text = re.sub(r"\[([^\]]*)\]\((https?://[^)]*)\)", r"\1 (\2)", text)
    text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", text)
    text = re.sub(r"\*\*(.+?)\*\*", r"\1", text)
    text = re.sub(r"`([^`]*)`", r"\1", text)
    return text.strip()


def fill(text, indent="", first=None):
    return textwrap.fill(inline(text), WIDTH, initial_indent=first if first is not None else indent,
                         subsequent_indent=indent, break_on_hyphens=False, break_long_words=False)


def table(rows):
    """A table as one block per row: each cell under its column's name."""
    cells = [[inline(c) for c in row.strip().strip("|").split("|")] for row in rows]
    header, body = cells[0], [r for r in cells[1:] if not all(re.fullmatch(r":?-+:?", c) for c in r)]
    out = []
    for row in body:
        for number, (name, cell) in enumerate(zip(header, row)):
            out.append(fill(f"{name}: {cell}", "      ", "  -   " if number == 0 else "      "))
        out.append("")
    return out


def readme(source, dest):
    lines = Path(source).read_text(encoding="utf-8").split("\n")
    out, paragraph, item = [], [], None  # item: (first indent, later indent)

    def flush():
        nonlocal paragraph, item
        if paragraph:
            text = " ".join(paragraph)
            if item:
                out.append(fill(text, item[1], item[0]))
                # The item's later paragraphs hang under its first.
                item = (item[1], item[1])
            else:
                out.append(fill(text))
            out.append("")
            paragraph = []

    i = 0
    while i < len(lines):
        line = lines[i]
        stripped = line.strip()
        indent = len(line) - len(line.lstrip())
        if stripped.startswith("```"):
            flush()
            i += 1
            pad = " " * (4 + (len(item[1]) if item else 0))
            while i < len(lines) and not lines[i].strip().startswith("```"):
                out.append((pad + lines[i][indent:]).rstrip())
                i += 1
            out.append("")
        elif stripped.startswith("|"):
            flush()
            rows = []
            while i < len(lines) and lines[i].strip().startswith("|"):
                rows.append(lines[i])
                i += 1
            out += table(rows)
            continue
        elif match := re.match(r"(#+)\s+(.*)", line):
            flush()
            item = None
            title = inline(match.group(2))
            out += [title, ("=" if len(match.group(1)) == 1 else "-") * len(title), ""]
        elif not stripped:
            flush()
        elif re.fullmatch(r"!\[[^\]]*\]\([^)]*\)", stripped):
            flush()
        elif match := re.match(r"(\s*)([-*]|\d+\.)\s+(.*)", line):
            flush()
            marker = match.group(2) if match.group(2)[0].isdigit() else "-"
            first = " " * len(match.group(1)) + "  " + marker + " "
            item = (first, " " * len(first))
            paragraph = [match.group(3)]
        else:
            if item and indent == 0 and not paragraph:
                item = None
            paragraph.append(stripped)
        i += 1
    flush()
    write_windows_text(dest, "\n".join(out))


def main(argv):
    if len(argv) >= 4 and argv[1] == "collect":
        collect(argv[2], argv[3], argv[4:])
    elif len(argv) == 7 and argv[1] == "licenses":
        licenses(argv[2], argv[3], argv[4], argv[5], argv[6])
    elif len(argv) == 4 and argv[1] == "readme":
        readme(argv[2], argv[3])
    elif len(argv) == 4 and argv[1] == "text":
        write_windows_text(argv[3], Path(argv[2]).read_text(encoding="utf-8"))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
