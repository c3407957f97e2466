#!/usr/bin/env python3
"""Checks that every #include "folder/file.h" of the project is allowed by the including target's
link line: the included header's target must be the including target itself, one it links (public
or private), or one those pass on publicly. A header belongs to the targets that compile its .cpp,
else to those that compile a source in its folder. Reads the build's compile commands and CMake's
target graph. Usage: scripts/check-includes.py [BUILD] (default build); exit 1 on a violation."""
import collections
import json
import os
import re
import subprocess
import sys
import tempfile

root = os.path.realpath(os.path.join(os.path.dirname(__file__), ".."))
build = os.path.realpath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build"))

# The target graph: PUBLIC links are solid edges, PRIVATE dotted, INTERFACE dashed.
with tempfile.TemporaryDirectory() as scratch:
    subprocess.run(["cmake", "--graphviz=" + os.path.join(scratch, "graph.dot"), build], check=True,
                   stdout=subprocess.DEVNULL)
    graph = open(os.path.join(scratch, "graph.dot"), encoding="utf-8").read()
names = dict(re.findall(r'"(node\d+)" \[ label = "([^"]+)"', graph))
direct = collections.defaultdict(set)  # what a target's own sources may use
passed = collections.defaultdict(set)  # what a target passes on to its users
for a, b, attrs in re.findall(r'"(node\d+)" -> "(node\d+)"(.*)', graph):
    if a not in names or b not in names:
        continue
    if "dashed" not in attrs:
        direct[names[a]].add(names[b])
    if "dotted" not in attrs:
        passed[names[a]].add(names[b])


def allowed(target):
    seen = {target}
    todo = list(direct[target])
    while todo:
        t = todo.pop()
        if t not in seen:
            seen.add(t)
            todo.extend(passed[t])
    return seen


# Sources and their targets, from the compile commands.
owners_of_source = collections.defaultdict(set)
for entry in json.load(open(os.path.join(build, "compile_commands.json"), encoding="utf-8")):
    match = re.search(r"CMakeFiles/([^/]+)\.dir/", entry["command"])
    source = os.path.relpath(os.path.realpath(entry["file"]), root)
    if match and not source.startswith(".."):
        owners_of_source[source].add(match.group(1))
owners_of_folder = collections.defaultdict(set)
for source, targets in owners_of_source.items():
    owners_of_folder[os.path.dirname(source)] |= targets


executables = set(re.findall(r'label = "([^"]+)", shape = egg', graph))


def owners(path):
    """The library targets a header belongs to (a source: the targets that compile it)."""
    if path in owners_of_source:
        return owners_of_source[path]
    stem = os.path.splitext(path)[0]
    found = owners_of_source.get(stem + ".cpp") or owners_of_folder.get(os.path.dirname(path), set())
    return found - executables


# Headers that hold only constants, shared on purpose beyond their layer's link line.
shared_constants = {
    "app/thread_sanitizer_suppressions.h",  # the sanitizer suppressions of the program and the tests
}

include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
includes_cache = {}


def includes(path):
    if path not in includes_cache:
        text = open(os.path.join(root, path), encoding="utf-8", errors="replace").read()
        includes_cache[path] = [n for n in include.findall(text) if os.path.isfile(os.path.join(root, n))]
    return includes_cache[path]


problems = set()
allowed_cache = {}
for source, targets in sorted(owners_of_source.items()):
    for target in targets:
        if target not in allowed_cache:
            allowed_cache[target] = allowed(target)
        ok = allowed_cache[target]
        seen = {source}
        todo = [source]
        while todo:
            path = todo.pop()
            for name in includes(path):
                included = owners(name)
                if included and name not in shared_constants and not included & ok and target not in included:
                    problems.add(f"{path}: includes {name} ({', '.join(sorted(included))}), "
                                 f"which {target} does not link")
                if name not in seen:
                    seen.add(name)
                    todo.append(name)
for problem in sorted(problems):
    print(problem)
if problems:
    print(f"{len(problems)} include(s) not allowed by their target's link line", file=sys.stderr)
    sys.exit(1)
print("every include is allowed by its target's link line")
