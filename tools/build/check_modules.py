#!/usr/bin/env python3
"""Checks the include structure of src/, and with --tools the rooms of tools/.

A module is a .h/.cpp pair (src/sky/sky_clock.h and .cpp are the module
sky/sky_clock). The modules must form no cycle, and a folder may include only
its own modules and those of the folders below it.

tools/ holds on top only the README's two commands, and folders; no file in
it has more than 500 lines, and none of the client runner's more than 400.

Usage: check_modules.py [source root] [--tools DIR] [--graph]; exit status 1
on a fault.
"""
import os
import re
import sys

# The folders from top to bottom; folders on one line stand side by side and
# may include each other's modules. platform/ is the driver layer under all
# of them: it knows the program only through its own callback header.
LAYERS = [
    ["controls"],
    ["graphics"],
    ["sky", "scenery"],
    ["core"],
    ["platform"],
]

# The constant catalogues are data both threads share: the worker walks the
# pulsar catalogue, so their header counts as part of the core.
MODULE_LAYER = {"sky/catalogues": "core"}

TOOLS_TOP = {"run_workunit.sh", "run_tests.sh"}
TOOLS_MAX_LINES = 500
RUNNER_MAX_LINES = 400

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def layer_of(module):
    folder = MODULE_LAYER.get(module, module.split("/")[0])
    for depth, layer in enumerate(LAYERS):
        if folder in layer:
            return depth
    return None


def read_graph(src):
    graph = {}
    for folder, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(folder, name)
            module = os.path.splitext(os.path.relpath(path, src))[0].replace(os.sep, "/")
            edges = graph.setdefault(module, set())
            with open(path, encoding="utf-8") as f:
                for target in INCLUDE.findall(f.read()):
                    if os.path.exists(os.path.join(src, target)):
                        dependency = os.path.splitext(target)[0]
                        if dependency != module:
                            edges.add(dependency)
    return graph


def cycles(graph):
    """The strongly connected components of more than one module (Tarjan)."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []

    def visit(v):
        index[v] = low[v] = len(index)
        stack.append(v)
        on_stack.add(v)
        for w in sorted(graph.get(v, ())):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    for v in sorted(graph):
        if v not in index:
            visit(v)
    return found


def upward(graph):
    faults = []
    for module, edges in sorted(graph.items()):
        for dependency in sorted(edges):
            here, there = layer_of(module), layer_of(dependency)
            if here is None or there is None:
                faults.append(f"{module} -> {dependency}: folder not in the layer list")
            elif there < here:
                faults.append(f"{module} -> {dependency}: upward")
    return faults


def tools_faults(tools):
    faults = []
    for name in sorted(os.listdir(tools)):
        if name not in TOOLS_TOP and not os.path.isdir(os.path.join(tools, name)):
            faults.append(f"tools/{name}: only the README's commands and folders go on top")
    for folder, _, files in os.walk(tools):
        for name in sorted(files):
            path = os.path.join(folder, name)
            where = os.path.relpath(path, tools).replace(os.sep, "/")
            with open(path, encoding="utf-8", errors="replace") as f:
                lines = sum(1 for _ in f)
            limit = RUNNER_MAX_LINES if where.startswith("runner/") else TOOLS_MAX_LINES
            if lines > limit:
                faults.append(f"tools/{where}: {lines} lines, more than {limit}")
    return faults


def main(argv):
    tools = None
    if "--tools" in argv:
        at = argv.index("--tools")
        tools = argv[at + 1] if at + 1 < len(argv) else None
        if tools is None:
            print("--tools needs a folder")
            return 2
        argv = argv[:at] + argv[at + 2:]
    args = [a for a in argv[1:] if not a.startswith("--")]
    src = args[0] if args else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src")
    graph = read_graph(src)
    if "--graph" in argv:
        for module, edges in sorted(graph.items()):
            print(f"{module}: {' '.join(sorted(edges))}")
    faults = [f"cycle: {' '.join(c)}" for c in cycles(graph)] + upward(graph)
    if tools:
        faults += tools_faults(tools)
    for fault in faults:
        print(fault)
    if not faults:
        print(f"{len(graph)} modules, no cycle, no upward include" + (", tools/ in its rooms" if tools else ""))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
