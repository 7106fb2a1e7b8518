#!/usr/bin/env python3
"""Fails when a source file includes a layer above its own.

Two rules hold for everything under src/:
  * a core file (added to corvanta_core by its folder's CMakeLists.txt) uses
    Qt Core only and includes no file of the UI library;
  * a folder includes only the folders below it, as listed in ALLOWED.
Headers are judged by the .cpp beside them; a header with no .cpp is core
unless it includes a UI file or a Qt module other than QtCore.
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SRC = os.path.join(ROOT, "src")
QT_INCLUDE = "/usr/include/x86_64-linux-gnu/qt6"

# Which other folders of src/ each folder may include. Nothing may include
# shell/, the top.
ALLOWED = {
    "platform": set(),
    "grid": {"platform"},
    "commands": set(),
    "table": {"grid", "platform", "commands"},
    "files": {"grid", "table", "platform", "commands"},
    "editing": {"grid", "table", "files", "platform", "commands"},
    "contacts": {"grid", "table", "files", "platform", "commands"},
    "printing": {"grid", "table", "files", "platform", "commands"},
    "sync": {"grid", "table", "files", "platform", "commands"},
    "shell": {"grid", "table", "files", "editing", "contacts", "printing", "sync", "platform",
              "commands"},
}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
SOURCES = re.compile(r"target_sources\(\s*(corvanta_core|corvanta_ui)\s+PRIVATE([^)]*)\)", re.S)


def layers_of_folder(folder):
    """Maps each source file name of a folder to 'core' or 'ui'."""
    result = {}
    cmake = os.path.join(SRC, folder, "CMakeLists.txt")
    if not os.path.exists(cmake):
        return result
    with open(cmake, encoding="utf-8") as f:
        text = re.sub(r"#[^\n]*", "", f.read())
    for target, files in SOURCES.findall(text):
        for name in files.split():
            result[name] = "core" if target == "corvanta_core" else "ui"
    return result


def qt_module(header):
    """The Qt module that ships a <QClass> header, or None if not Qt's."""
    if not header.startswith("Q"):
        return None
    if "/" in header:
        return header.split("/")[0]
    for module in ("QtCore", "QtGui", "QtWidgets", "QtPrintSupport", "QtSerialPort", "QtSvg",
                   "QtTest"):
        if os.path.exists(os.path.join(QT_INCLUDE, module, header)):
            return module
    return None


def main():
    layer = {}  # "folder/file" -> core|ui
    for folder in sorted(os.listdir(SRC)):
        if not os.path.isdir(os.path.join(SRC, folder)):
            continue
        for name, kind in layers_of_folder(folder).items():
            layer[f"{folder}/{name}"] = kind

    header_memo = {}

    def layer_of(rel):
        base, ext = os.path.splitext(rel)
        if ext == ".cpp":
            return layer.get(rel)
        if base + ".cpp" in layer:
            return layer[base + ".cpp"]
        if rel in header_memo:
            return header_memo[rel]
        header_memo[rel] = "core"  # breaks include cycles
        try:
            with open(os.path.join(SRC, rel), encoding="utf-8") as f:
                text = f.read()
        except OSError:
            return None
        for kind, inc in INCLUDE.findall(text):
            if kind == "<":
                if qt_module(inc) not in (None, "QtCore"):
                    header_memo[rel] = "ui"
            else:
                target = inc if "/" in inc else os.path.join(os.path.dirname(rel), inc)
                if layer_of(target) == "ui":
                    header_memo[rel] = "ui"
        return header_memo[rel]

    errors = []
    for folder in sorted(os.listdir(SRC)):
        path = os.path.join(SRC, folder)
        if not os.path.isdir(path):
            continue
        if folder not in ALLOWED:
            errors.append(f"src/{folder}/: folder has no place in the layer list")
            continue
        for dirpath, _, files in os.walk(path):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp")):
                    continue
                rel = os.path.relpath(os.path.join(dirpath, name), SRC)
                own = layer_of(rel)
                with open(os.path.join(dirpath, name), encoding="utf-8") as f:
                    text = f.read()
                for kind, inc in INCLUDE.findall(text):
                    where = f"src/{rel}: includes {inc}"
                    if kind == "<":
                        module = qt_module(inc)
                        if own == "core" and module not in (None, "QtCore"):
                            errors.append(f"{where} ({module}) from the core layer")
                        continue
                    target = inc.split("/")[0]
                    if "/" not in inc or target == folder:
                        if own == "core" and layer_of(os.path.join(folder, inc.split("/")[-1])) == "ui":
                            errors.append(f"{where}, a UI file, from the core layer")
                        continue
                    if target not in ALLOWED.get(folder, set()):
                        errors.append(f"{where}: {folder}/ may not include {target}/")
                    elif own == "core" and layer_of(inc) == "ui":
                        errors.append(f"{where}, a UI file, from the core layer")
    for e in errors:
        print(e, file=sys.stderr)
    if errors:
        print(f"check-layers: {len(errors)} wrong include(s)", file=sys.stderr)
        return 1
    print("check-layers: every include points down")
    return 0


if __name__ == "__main__":
    sys.exit(main())
