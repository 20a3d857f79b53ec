#!/usr/bin/env python3
"""Every text key a shipped layout shows has a text in the English and the Chinese language file,
and every language file names the same keys."""
import glob, os, re, sys
import xml.etree.ElementTree as ET

skin = sys.argv[1]
layouts = [p for p in glob.glob(f'{skin}/**/*.xml', recursive=True)
           if '/lang/' not in p and '/toolkit-test/' not in p and not p.endswith('res.xml')]
# A language key: lower-case words joined by "_" (keys like "Repeat_Rate" start upper-case too),
# never a plain label such as "Esc", "F1" or "1000Hz".
key = re.compile(r'^[A-Za-z][A-Za-z0-9]*(_[A-Za-z0-9]+)+$')

def texts(path):
    return {t.get('key'): (t.get('value') if t.get('value') is not None else (t.text or ''))
            for t in ET.parse(path).getroot().iter('Text')}

languages = {os.path.basename(p): texts(p) for p in glob.glob(f'{skin}/lang/lan_*.xml')}
failures = []
for name in ('lan_en.xml', 'lan_cn.xml'):
    if name not in languages:
        failures.append(f'{name} is missing')
for path in layouts:
    for element in ET.parse(path).getroot().iter():
        for attribute in ('text', 'tooltip'):
            value = element.get(attribute)
            if value and key.match(value):
                for name in ('lan_en.xml', 'lan_cn.xml'):
                    if value not in languages.get(name, {}):
                        failures.append(f'{os.path.relpath(path, skin)}: "{value}" has no text in {name}')
reference = set(languages.get('lan_en.xml', {}))
for name, table in languages.items():
    if set(table) != reference:
        failures.append(f'{name} differs from lan_en.xml in {sorted(set(table) ^ reference)[:5]}')
for failure in failures:
    print(failure)
print(f'{len(layouts)} layouts, {len(languages)} language files checked')
sys.exit(1 if failures else 0)
