#!/usr/bin/env python3
"""Checks every #include in src/ against the layer table of docs/ARCHITECTURE.md.

Each folder under src/ must have a row; a file may include from its own folder and from the
folders its row names under "may use", nothing else. Usage: check_layers.py SOURCE-DIR
"""
import pathlib
import re
import sys


def layer_table(architecture: str) -> dict[str, set[str]]:
    section = architecture.split("## Layers", 1)[1].split("\n## ", 1)[0]
    rows = [line for line in section.splitlines() if line.startswith("| `")]
    table = {}
    for row in rows:
        cells = [cell.strip() for cell in row.strip().strip("|").split("|")]
        folders = re.findall(r"`([a-z]+)`", cells[0])
        may_use = set(re.findall(r"`([a-z]+)`", cells[-1]))
        for folder in folders:
            table[folder] = may_use
    return table


def main() -> int:
    root = pathlib.Path(sys.argv[1])
    table = layer_table((root / "docs" / "ARCHITECTURE.md").read_text(encoding="utf-8"))
    if not table:
        print("docs/ARCHITECTURE.md has no layer table under '## Layers'")
        return 1
    faults = []
    src = root / "src"
    folders = sorted(p.name for p in src.iterdir() if p.is_dir())
    for folder in folders:
        if folder not in table:
            faults.append(f"src/{folder} has no row in the layer table")
    for row in table:
        if row not in folders:
            faults.append(f"the layer table names `{row}`, which is no folder of src/")
        for used in table[row]:
            if used not in table:
                faults.append(f"`{row}` may use `{used}`, which has no row")
    include = re.compile(r'^\s*#\s*include\s+"([a-z]+)/', re.MULTILINE)
    for folder in folders:
        allowed = table.get(folder, set()) | {folder}
        for path in sorted((src / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            for used in include.findall(path.read_text(encoding="utf-8", errors="replace")):
                if used not in allowed:
                    faults.append(f"{path.relative_to(root)} includes from `{used}`, which `{folder}` may not use")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
