#!/usr/bin/env bash
# How heavy the tests are beside the product: non-blank lines that are not only comment, in the
# C++ files (*.cpp, *.h) of tests/ against those of the product folders (errors, files, core,
# operations, platform, window, app, cli, demo). Fuzz targets, scripts, .ui and JSON files count
# on neither side.
# Usage: scripts/ratio.sh [SOURCE_DIR]
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
python3 - "$root" <<'PY'
import os, re, sys

root = sys.argv[1]


def lines_of(path):
    n, in_block = 0, False
    for line in open(path, encoding="utf-8"):
        code = line
        if in_block:
            if "*/" not in code:
                continue
            code, in_block = code.split("*/", 1)[1], False
        code = re.sub(r"/\*.*?\*/", "", code)
        if "/*" in code and '"' not in code.split("/*")[0]:
            code, in_block = code.split("/*")[0], True
        code = code.strip()
        if code and not code.startswith("//"):
            n += 1
    return n


def count(folders):
    total = 0
    for folder in folders:
        for dirpath, _, files in os.walk(os.path.join(root, folder)):
            total += sum(lines_of(os.path.join(dirpath, f)) for f in files if f.endswith((".cpp", ".h")))
    return total


tests = count(["tests"])
product = count(["errors", "files", "core", "operations", "platform", "window", "app", "cli", "demo"])
print(f"tests {tests} lines, product {product} lines, ratio {tests / product:.2f}")
PY
