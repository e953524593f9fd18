#!/usr/bin/env bash
# A small mutation sampler: how many deliberate faults in the Qt-free folders do the tests catch?
#
# Usage: nice -n 19 scripts/mutate.sh BUILD_DIR [COUNT [SEED]]
#   BUILD_DIR  a configured and built tree; its source tree is the one mutated
#   COUNT      mutants that compile and run (default 80); ones that do not compile are skipped
#   SEED       picks the sample (default 14); same source, count and seed, same mutants
# Environment: MUTATE_TIMEOUT seconds per mutant for its tests (default 600), MUTATE_LIST=1 only
# lists the sampled mutants, MUTATE_ONLY=REGEX samples only files whose path (e.g. files/IniText.cpp)
# it matches: to judge a change to the tests of a few files quickly. Scores of the whole tree are
# taken without it.
#
# Each mutant changes one line in place (an operator, a constant by one, a returned truth value,
# or a statement dropped), rebuilds incrementally, runs the tests of its layer and of the layers
# above, and puts the line back. The original files are kept aside until then, and put back on
# any exit, Ctrl-C included. Mutants listed in scripts/mutate-equivalent.txt change nothing a
# caller can see; they are run but left out of the score. Not part of CI: it takes about an hour.
set -euo pipefail
# One group, read whole before it runs: editing this file during a run cannot change the run.
{
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: mutate.sh BUILD_DIR [COUNT [SEED]]}" && pwd)
count=${2:-80}
seed=${3:-14}
source=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")
[[ -d $source ]] || { echo "mutate.sh: no source tree found for $build" >&2; exit 2; }

backup=$(mktemp -d)
# Whatever is still aside was mutated when the run stopped: put it back.
restore() {
  (cd "$backup" && find . -type f -print0) | while IFS= read -r -d '' file; do
    cp -p "$backup/$file" "$source/$file"
    touch "$source/$file"  # newer than the mutant's objects, so the next build recompiles it
  done
  rm -rf "$backup"
}
trap restore EXIT
trap 'exit 130' INT TERM HUP

export QT_QPA_PLATFORM=offscreen
python3 - "$source" "$build" "$count" "$seed" "$backup" "$here/scripts/mutate-equivalent.txt" <<'PY'
import json, os, random, re, shutil, subprocess, sys, time

source, build, count, seed, backup, equivalents_file = sys.argv[1:7]
count, seed = int(count), int(seed)
timeout = int(os.environ.get("MUTATE_TIMEOUT", "600"))

# The test programs that stand above each folder: its own layer's and those of every layer built
# on it (the window program's too, in English only; the German run repeats the same cases).
ABOVE = {
    "errors": ["errors_test", "errors_protocol_test", "files_test", "core_test", "operations_test",
               "cli_test", "window_test"],
    "files": ["files_test", "core_test", "operations_test", "cli_test", "window_test"],
    "core": ["core_test", "operations_test", "cli_test", "window_test"],
    "operations": ["operations_test", "cli_test", "window_test"],
    "cli": ["cli_test"],
}
FOLDERS = list(ABOVE)
QT = re.compile(r'#include\s*<Q|#include\s*"(platform|window|app)/')


def code_mask(lines):
    """Per line, the text with strings, characters and comments blanked out (same length)."""
    out, in_block = [], False
    for line in lines:
        chars, i, n = list(line), 0, len(line)
        while i < n:
            if in_block:
                if line.startswith("*/", i):
                    chars[i:i + 2] = "  "
                    in_block, i = False, i + 2
                    continue
                chars[i] = " "
                i += 1
            elif line.startswith("//", i):
                chars[i:] = " " * (n - i)
                break
            elif line.startswith("/*", i):
                in_block = True
            elif line[i] in "\"'":
                quote, j = line[i], i + 1
                while j < n and line[j] != quote:
                    j += 2 if line[j] == "\\" else 1
                chars[i + 1:min(j, n)] = " " * (min(j, n) - i - 1)
                i = j + 1
            else:
                i += 1
        out.append("".join(chars))
    return out


SWAPS = [(" < ", " <= "), (" <= ", " < "), (" > ", " >= "), (" >= ", " > "), (" == ", " != "),
         (" != ", " == "), (" && ", " || "), (" || ", " && ")]
NUMBER = re.compile(r"(?<![\w.])(0[xX][0-9a-fA-F]+|\d+)(?=[uUlL]*(?![\w.]))")
STATEMENT = re.compile(r"^\s*(throw\b|[A-Za-z_][\w:]*\s*(\(|\.|->|\[|=[^=]|[-+|&]=|\+\+|--))")
NOT_STATEMENT = re.compile(r"^\s*(return|case|default|break|continue|using|typedef|static_assert)\b")


def mutants_of(path, text):
    lines = text.split("\n")
    masked = code_mask(lines)
    found, previous = [], ""
    for number, (line, code) in enumerate(zip(lines, masked), 1):
        stripped = code.strip()
        if not stripped or stripped.startswith("#"):
            continue

        def add(start, end, new, what):
            # The column tells two alike on one line apart.
            found.append((path, f"{number}:{start + 1 + (line[start] == ' ')}", line[:start] + new + line[end:],
                          what))

        for old, new in SWAPS:
            for m in re.finditer(re.escape(old), code):
                add(m.start(), m.end(), new, f"'{old.strip()}' -> '{new.strip()}'")
        for m in re.finditer(r" ([+-]) 1\b", code):
            add(m.start(), m.end(), " - 1" if m.group(1) == "+" else " + 1",
                f"'{m.group(1)} 1' -> '{'-' if m.group(1) == '+' else '+'} 1'")
        for m in re.finditer(r"\breturn (true|false);", code):
            flipped = "false" if m.group(1) == "true" else "true"
            add(m.start(), m.end(), f"return {flipped};", f"return {m.group(1)} -> {flipped}")
        # Constants by one, but not the ones that only say how big an array is.
        if not re.search(r"\[\s*\d", code):
            for m in NUMBER.finditer(code):
                text = m.group(1)
                octal = len(text) > 1 and text[0] == "0" and text[1] not in "xX"
                value = int(text, 8 if octal else 0)
                # One neighbour per constant, alternating, so constants do not crowd out the rest.
                for delta in [1 if value == 0 or (number + m.start()) % 2 else -1]:
                    new = (hex(value + delta) if text[:2] in ("0x", "0X")
                           else "0" + oct(value + delta)[2:] if octal else str(value + delta))
                    add(m.start(), m.end(), new, f"{m.group(1)} -> {new}")
        # A whole statement on one line dropped (an empty block keeps a braceless if valid).
        if (stripped.endswith(";") and STATEMENT.match(code) and not NOT_STATEMENT.match(code)
                and previous.endswith((";", "{", "}", ")", ":"))):
            indent = len(line) - len(line.lstrip())
            found.append((path, f"{number}:{indent + 1}", line[:indent] + "{}", "statement dropped"))
        previous = stripped
    return found


def candidates():
    only = re.compile(os.environ.get("MUTATE_ONLY", ""))
    found = []
    for folder in FOLDERS:
        for root, dirs, files in os.walk(os.path.join(source, folder)):
            dirs.sort()
            for name in sorted(files):
                if not name.endswith((".cpp", ".h")):
                    continue
                path = os.path.relpath(os.path.join(root, name), source)
                if not only.search(path):
                    continue
                with open(os.path.join(source, path), encoding="utf-8") as f:
                    text = f.read()
                if QT.search(text):
                    continue  # Qt code belongs to the layers above
                found += mutants_of(path, text)
    return found


def equivalents():
    """Lines "file | original line, trimmed | mutation  # why"."""
    keys = set()
    if os.path.exists(equivalents_file):
        for line in open(equivalents_file, encoding="utf-8"):
            line = line.split("  #", 1)[0].strip()
            if line and not line.startswith("#"):
                keys.add(tuple(part.strip() for part in line.split(" | ")))
    return keys


def tests_by_program():
    shown = subprocess.run(["ctest", "--show-only=json-v1"], cwd=build, capture_output=True, text=True,
                           check=True)
    programs = {}
    for test in json.loads(shown.stdout)["tests"]:
        command = test.get("command") or [""]
        programs.setdefault(os.path.basename(command[0]), []).append(test["name"])
    return programs


def run(command, limit=None):
    try:
        done = subprocess.run(command, cwd=build, capture_output=True, text=True, timeout=limit)
        return done.returncode, done.stdout + done.stderr
    except subprocess.TimeoutExpired as expired:
        return None, str(expired.stdout or "")


def main():
    everything = candidates()
    order = list(range(len(everything)))
    random.Random(seed).shuffle(order)
    skip = equivalents()
    if os.environ.get("MUTATE_LIST"):
        for i in order[:count]:
            path, number, new, what = everything[i]
            print(f"{path}:{number}: {what}")
        return
    programs = tests_by_program()
    originals = {}
    results = []  # (folder, path, number, what, outcome)
    print(f"{len(everything)} possible mutants; running {count} (seed {seed}), "
          f"{timeout} s at most each", flush=True)
    for i in order:
        if sum(1 for r in results if r[4] != "stillborn") >= count:
            break
        path, number, new, what = everything[i]
        folder = path.split("/")[0]
        full = os.path.join(source, path)
        if path not in originals:
            originals[path] = open(full, encoding="utf-8").read()
        lines = originals[path].split("\n")
        old = lines[int(number.split(":")[0]) - 1]
        lines[int(number.split(":")[0]) - 1] = new
        os.makedirs(os.path.dirname(os.path.join(backup, path)), exist_ok=True)
        shutil.copy2(full, os.path.join(backup, path))
        started = time.time()
        try:
            with open(full, "w", encoding="utf-8") as f:
                f.write("\n".join(lines))
            # Only what the tests run: the programs of the layers above need no relinking.
            code, _ = run(["cmake", "--build", ".", "-j2", "--target",
                             *[p for p in ABOVE[folder] if p in programs]])
            if code != 0:
                outcome = "stillborn"
            else:
                names = [n for p in ABOVE[folder] for n in programs.get(p, []) if not n.endswith(".de_DE")]
                pattern = "^(" + "|".join(re.escape(n) for n in names) + ")$"
                code, out = run(["ctest", "-R", pattern, "-j2", "--stop-on-failure", "--timeout", "120"],
                                timeout)
                if code is None or "***Timeout" in out and "***Failed" not in out and "Exception" not in out:
                    outcome = "timeout"
                else:
                    outcome = "survived" if code == 0 else "killed"
        finally:
            with open(full, "w", encoding="utf-8") as f:
                f.write(originals[path])
            os.remove(os.path.join(backup, path))
        key = (path, old.strip(), what)
        if key in skip and outcome != "stillborn":
            outcome = "equivalent"
        results.append((folder, path, number, what, outcome))
        print(f"{outcome:10} {path}:{number}: {what}  ({time.time() - started:.0f} s)", flush=True)
    run(["cmake", "--build", ".", "-j2"])  # the build tree matches its source again

    print("\nfolder       killed  survived  timeout  score   (stillborn, equivalent)")
    for folder in FOLDERS + ["total"]:
        mine = [r for r in results if folder == "total" or r[0] == folder]
        tally = {k: sum(1 for r in mine if r[4] == k)
                 for k in ("killed", "survived", "timeout", "stillborn", "equivalent")}
        scored = tally["killed"] + tally["survived"] + tally["timeout"]
        score = f"{100 * (tally['killed'] + tally['timeout']) / scored:5.1f} %" if scored else "    -  "
        print(f"{folder:12} {tally['killed']:6} {tally['survived']:9} {tally['timeout']:8}  {score}"
              f"  ({tally['stillborn']}, {tally['equivalent']})")
    print("(score: killed or timed out, of those that compiled and are not equivalent)")
    survivors = [r for r in results if r[4] == "survived"]
    if survivors:
        print("\nsurvivors:")
        for folder, path, number, what, outcome in survivors:
            print(f"  {path}:{number}: {what}")


try:
    main()
except KeyboardInterrupt:
    sys.exit(130)
PY
exit
}
