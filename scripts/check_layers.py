#!/usr/bin/env python3
"""Fails when a file under src/ includes a header of a higher layer.

The layers, lowest first, are listed below; a layer may include its own
headers and those of the layers before it. Usage: check_layers.py SRC_DIR
"""
import pathlib
import re
import sys

LAYERS = ["resources", "settings", "media", "graphs", "list", "commands", "ui", "app"]
INCLUDE = re.compile(r'^\s*#\s*include\s*"([A-Za-z0-9_]+)/')


def violations(src):
    rank = {layer: i for i, layer in enumerate(LAYERS)}
    for layer in LAYERS:
        for path in sorted((src / layer).rglob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            lines = path.read_text(encoding="utf-8", errors="replace").splitlines()
            for number, line in enumerate(lines, 1):
                match = INCLUDE.match(line)
                if match and rank.get(match.group(1), -1) > rank[layer]:
                    yield f"{path.relative_to(src.parent)}:{number}: {layer} includes {line.strip()}"


def main():
    if len(sys.argv) != 2:
        print("usage: check_layers.py SRC_DIR", file=sys.stderr)
        return 2
    src = pathlib.Path(sys.argv[1])
    missing = [layer for layer in LAYERS if not (src / layer).is_dir()]
    if missing:
        print(f"no layer folder: {', '.join(missing)}", file=sys.stderr)
        return 2
    found = list(violations(src))
    for line in found:
        print(line)
    print(f"{len(found)} include(s) of a higher layer")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
