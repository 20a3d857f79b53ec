#!/usr/bin/env python3
"""Fails when a source file includes a header from a layer above its own.

Layers, lowest first: platform < device < store < toolkit < engines < input < panels < update < app.
A file may include its own layer and those below it. tools/, tests/, bench/ and fuzz/ stand outside
the order and may include anything.

usage: check_layers.py [SOURCE_ROOT]      (default: the folder above this script)
"""
import os
import re
import sys

LAYERS = ['platform', 'device', 'store', 'toolkit', 'engines', 'input', 'panels', 'update', 'app']
RANK = {name: rank for rank, name in enumerate(LAYERS)}
SOURCE_SUFFIXES = ('.h', '.hpp', '.cpp', '.cc', '.c', '.inl')
# Quoted includes only: <...> names system and library headers. Conditional and commented-out
# lines still count, since a build with other options compiles them.
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
# Upward includes that were already in the tree when this check came, each to be removed by its
# owner; anything else upward fails. An entry that no longer matches is reported, so it gets dropped.
KNOWN_UPWARD = {}


def upward_includes(root):
    """Yields (file, line number, included path, file's layer, included layer) per violation."""
    for layer in LAYERS:
        top = os.path.join(root, layer)
        for folder, _, files in os.walk(top):
            for name in sorted(files):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.join(folder, name)
                with open(path, encoding='utf-8', errors='replace') as source:
                    for number, line in enumerate(source, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        included = match.group(1)
                        target = included.split('/', 1)[0]
                        # A path without a layer folder is the file's own folder.
                        if '/' in included and target in RANK and RANK[target] > RANK[layer]:
                            yield os.path.relpath(path, root), number, included, layer, target


def main(argv):
    root = os.path.abspath(argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(__file__), '..'))
    missing = [layer for layer in LAYERS if not os.path.isdir(os.path.join(root, layer))]
    if len(missing) == len(LAYERS):
        print(f'check_layers: no layer folder under {root}', file=sys.stderr)
        return 2
    found, tolerated = [], set()
    for violation in upward_includes(root):
        path, number, included, layer, target = violation
        key = (path, included)
        if key in KNOWN_UPWARD:
            tolerated.add(key)
            print(f'{path}:{number}: known upward include "{included}" ({KNOWN_UPWARD[key]})')
        else:
            found.append(violation)
            print(f'{path}:{number}: {layer}/ includes "{included}" from {target}/, a layer above it')
    for path, included in sorted(set(KNOWN_UPWARD) - tolerated):
        print(f'check_layers: {path} no longer includes "{included}"; drop it from KNOWN_UPWARD')
    if found:
        print(f'check_layers: {len(found)} upward include(s); order: {" < ".join(LAYERS)}', file=sys.stderr)
        return 1
    print(f'check_layers: no upward include ({" < ".join(LAYERS)})')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
