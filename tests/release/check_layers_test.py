#!/usr/bin/env python3
"""The layer check on small trees: what it must refuse and what it must let through."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECKER = sys.argv.pop(1) if len(sys.argv) > 1 else os.path.join(
    os.path.dirname(__file__), '..', '..', 'scripts', 'check_layers.py')
LAYERS = ['platform', 'device', 'store', 'toolkit', 'engines', 'input', 'panels', 'update', 'app']


def run_on(files):
    """Runs the checker on a tree with every layer folder and the given {path: text} files."""
    with tempfile.TemporaryDirectory() as root:
        for layer in LAYERS:
            os.makedirs(os.path.join(root, layer))
        for path, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
            with open(os.path.join(root, path), 'w', encoding='utf-8') as out:
                out.write(text)
        result = subprocess.run([sys.executable, CHECKER, root], capture_output=True, text=True)
        return result.returncode, result.stdout + result.stderr


class LayerCheck(unittest.TestCase):
    def test_refuses_an_include_from_any_layer_above(self):
        cases = [
            ('platform/Event.cpp', 'device/hid/HidInterface.h'),
            ('device/hid/Path.h', 'store/JsonFile.h'),
            ('store/Profile.cpp', 'toolkit/UIlib.h'),
            ('toolkit/Window.cpp', 'engines/device/Device.h'),
            ('engines/keyboard/Key.cpp', 'input/Hook.h'),
            ('input/Hook.cpp', 'panels/macro/Macro.h'),
            ('panels/lighting/Light.cpp', 'update/Check.h'),
            ('update/Check.cpp', 'app/shell/MainWnd.h'),
            ('platform/deep/in/Folder.inl', 'app/x.h'),
        ]
        for source, included in cases:
            with self.subTest(source=source, included=included):
                code, output = run_on({source: f'#pragma once\n  #  include "{included}"\n'})
                self.assertEqual(code, 1, output)
                self.assertIn(f'{source}:2:', output)
                self.assertIn(included, output)

    def test_lets_through_own_and_lower_layers_and_the_free_folders(self):
        files = {
            'app/shell/MainWnd.cpp': '#include "app/shell/MainWnd.h"\n#include "platform/Event.h"\n'
                                     '#include "toolkit/UIlib.h"\n#include <QWidget>\n',
            'engines/device/Device.cpp': '#include "Device.h"\n#include "store/Profile.h"\n',
            'panels/lighting/Light.cpp': '#include "engines/keyboard/Key.h"\n// #include is a word here\n',
            'tools/zorv-hid/main.cpp': '#include "app/shell/MainWnd.h"\n',
            'tests/app/Test.cpp': '#include "app/shell/MainWnd.h"\n',
            'bench/Bench.cpp': '#include "app/shell/MainWnd.h"\n',
            'fuzz/Fuzz.cpp': '#include "app/shell/MainWnd.h"\n',
            'platform/README.md': '#include "app/shell/MainWnd.h"\n',
        }
        code, output = run_on(files)
        self.assertEqual(code, 0, output)

    def test_counts_every_upward_include_of_a_file(self):
        code, output = run_on({'device/Channel.cpp': '#include "app/a.h"\n#include "store/b.h"\n'
                                                     '#include "platform/c.h"\n'})
        self.assertEqual(code, 1, output)
        self.assertIn('Channel.cpp:1:', output)
        self.assertIn('Channel.cpp:2:', output)
        self.assertNotIn('Channel.cpp:3:', output)

    def test_a_folder_without_layers_is_a_usage_error(self):
        with tempfile.TemporaryDirectory() as root:
            result = subprocess.run([sys.executable, CHECKER, root], capture_output=True, text=True)
        self.assertEqual(result.returncode, 2, result.stderr)


if __name__ == '__main__':
    unittest.main()
