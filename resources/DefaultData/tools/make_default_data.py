#!/usr/bin/env python3
"""Writes the shipped data files of DefaultData/ from the tables below.

Run from anywhere: python3 make_default_data.py [output folder]. The generated files are
committed; rerun this after changing a table.
"""
import json
import os
import sys

OUT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")

# Factory key table of the keyboards: key number -> (type, p1, p2).
def keyboard_factory_table():
    rows = {0: (0x20, 0x00, 0x29)}
    for k in range(1, 13):
        rows[k] = (0x20, 0x00, 0x3A + k - 1)
    listed = {
        13: (0x20, 0, 0x46), 14: (0x20, 0, 0x47), 15: (0x20, 0, 0x48), 16: (0xA0, 0x1B, 0),
        17: (0x30, 0x92, 0x01), 18: (0x30, 0xE2, 0), 19: (0x30, 0xEA, 0), 20: (0x30, 0xE9, 0),
        21: (0x20, 0, 0x35), 22: (0x20, 0, 0x1E), 23: (0x20, 0, 0x1F), 24: (0x20, 0, 0x20),
        25: (0x20, 0, 0x21), 26: (0x20, 0, 0x22), 27: (0x20, 0, 0x23), 28: (0x20, 0, 0x24),
        29: (0x20, 0, 0x25), 30: (0x20, 0, 0x26), 31: (0x20, 0, 0x27), 32: (0x20, 0, 0x2D),
        33: (0x20, 0, 0x2E), 34: (0x20, 0, 0x2A), 35: (0x20, 0, 0x49), 36: (0x20, 0, 0x4A),
        37: (0x20, 0, 0x4B), 38: (0x20, 0, 0x53), 39: (0x20, 0, 0x54), 40: (0x20, 0, 0x55),
        41: (0x20, 0, 0x56), 42: (0x20, 0, 0x2B), 43: (0x20, 0, 0x14), 44: (0x20, 0, 0x1A),
        45: (0x20, 0, 0x08), 46: (0x20, 0, 0x15), 47: (0x20, 0, 0x17), 48: (0x20, 0, 0x1C),
        49: (0x20, 0, 0x18), 50: (0x20, 0, 0x0C), 51: (0x20, 0, 0x12), 52: (0x20, 0, 0x13),
        53: (0x20, 0, 0x2F), 54: (0x20, 0, 0x30), 55: (0x20, 0, 0x31), 56: (0x20, 0, 0x4C),
        57: (0x20, 0, 0x4D), 58: (0x20, 0, 0x4E), 59: (0x20, 0, 0x5F), 60: (0x20, 0, 0x60),
        61: (0x20, 0, 0x61), 62: (0x20, 0, 0x32), 63: (0x20, 0, 0x39), 64: (0x20, 0, 0x04),
        65: (0x20, 0, 0x16), 66: (0x20, 0, 0x07), 67: (0x20, 0, 0x09), 68: (0x20, 0, 0x0A),
        69: (0x20, 0, 0x0B), 70: (0x20, 0, 0x0D), 71: (0x20, 0, 0x0E), 72: (0x20, 0, 0x0F),
        73: (0x20, 0, 0x33), 74: (0x20, 0, 0x34), 75: (0x20, 0, 0x28), 76: (0x20, 0, 0x5C),
        77: (0x20, 0, 0x5D), 78: (0x20, 0, 0x5E), 79: (0x20, 0, 0x8A), 80: (0x20, 0, 0x8B),
        81: (0x20, 0, 0x90), 82: (0x20, 0, 0x91), 83: (0x20, 0, 0x88), 84: (0x20, 0x02, 0),
        85: (0x20, 0, 0x1D), 86: (0x20, 0, 0x1B), 87: (0x20, 0, 0x06), 88: (0x20, 0, 0x19),
        89: (0x20, 0, 0x05), 90: (0x20, 0, 0x11), 91: (0x20, 0, 0x10), 92: (0x20, 0, 0x36),
        93: (0x20, 0, 0x37), 94: (0x20, 0, 0x38), 95: (0x20, 0x20, 0), 96: (0x20, 0, 0x52),
        97: (0x20, 0, 0x59), 98: (0x20, 0, 0x5A), 99: (0x20, 0, 0x5B), 100: (0x20, 0, 0x87),
        101: (0x20, 0, 0x89), 102: (0x20, 0, 0x64), 103: (0x20, 0, 0x85), 104: (0x20, 0, 0),
        105: (0x20, 0x01, 0), 106: (0x20, 0x08, 0), 107: (0x20, 0x04, 0), 108: (0x20, 0, 0x2C),
        109: (0x20, 0x40, 0), 110: (0xA0, 0x01, 0), 111: (0x20, 0, 0x65), 112: (0x20, 0x10, 0),
        113: (0x20, 0, 0x50), 114: (0x20, 0, 0x51), 115: (0x20, 0, 0x4F), 116: (0x20, 0, 0x62),
        117: (0x20, 0, 0x63), 118: (0x20, 0, 0x58), 119: (0x20, 0, 0x57), 120: (0xD0, 0xA2, 1),
        121: (0xD0, 0xA2, 2), 122: (0xD0, 0xA2, 3), 123: (0xD0, 0xA2, 4), 124: (0xD0, 0xA2, 5),
        125: (0x20, 0x80, 0),
    }
    rows.update(listed)
    for k in range(126, 170):
        rows[k] = (0x20, 0, 0)
    return [rows[k] for k in range(170)]

MOUSE_BUTTON_DEFAULTS = [
    (0x10, 0x01, 0), (0x10, 0x02, 0), (0x10, 0x04, 0), (0x10, 0x10, 0), (0x10, 0x08, 0),
    (0x13, 0x01, 0), (0x13, 0x02, 0), (0x13, 0x03, 0), (0xA0, 0x1B, 0), (0x16, 0x90, 0x01),
]

# Keyboard effects by effect number (the renderer's and the lighting panel's numbering; the
# device's mode code is the same number). Effects 0, 19 and 31 have no renderer of their own.
KEYBOARD_EFFECTS = [
    ("light_mode_user", False), ("light_mode_wave", True), ("light_mode_fast_wave", True),
    ("light_mode_circle_wave", True), ("light_mode_spectrum", True),
    ("light_mode_breathing", True), ("light_mode_static", True), ("light_mode_key_glow", True),
    ("light_mode_column_ripple", True), ("light_mode_cross_ripple", True),
    ("light_mode_starlight", True), ("light_mode_spectrum_keys", True),
    ("light_mode_wave_rows", True), ("light_mode_side_wave", True),
    ("light_mode_stage_wave", True), ("light_mode_breathing_keys", True),
    ("light_mode_side_ripple", True), ("light_mode_preset_colour", True),
    ("light_mode_wave_matrix", True), ("light_mode_user", False), ("light_mode_custom", True),
    ("light_mode_gradient", True), ("light_mode_twinkle", True), ("light_mode_key_fade", True),
    ("light_mode_key_fade_wide", True), ("light_mode_reactive", True),
    ("light_mode_music", True), ("light_mode_music_colour", True), ("light_mode_snake", True),
    ("light_mode_off", True), ("light_mode_blink", True), ("light_mode_user", False),
    ("light_mode_sweep", True), ("light_mode_key_glow_hold", True),
    ("light_mode_breathing_four", True), ("light_mode_blink_four", True),
]

# Mouse, mouse-pad and headset effects 0..8 (the mouse sends 9 and above as 0). The pad and
# the headset enable no controls for 5, 6 and 7, so they do not offer them.
SMALL_DEVICE_EFFECTS = [
    "light_mode_wave", "light_mode_spectrum", "light_mode_breathing", "light_mode_static",
    "light_mode_blink", "light_mode_flow", "light_mode_breathing_four", "light_mode_blink_four",
    "light_mode_off",
]

# Area overlay modes 0..4 of the lighting points.
AREA_EFFECTS = ["area_light_breathing", "area_light_static", "area_light_blink",
                "area_light_spectrum", "area_light_off"]

KEYBOARD_MODELS = (0, 4, 5)
MODEL_COUNT = 6

# Gains of the headset's equaliser presets 1..12.
EQ_PRESETS = [
    [7, 11, 2, -3, -1, 4, 9, 12, 9, 5], [7, 11, 6, -3, -11, -1, 6, 13, 6, 13],
    [10, 4, 0, -3, -4, -3, -2, -1, 0, 0], [2, 1, -2, -3, -5, -7, 0, 4, 9, 8],
    [0] * 10, [7, 14, -13, -6, -1, 8, 13, 7, 2, 6], [14, 10, 4, 0, -4, -3, -1, 1, 2, 3],
    [2, 1, -2, -3, -5, -1, 7, 11, 15, 13], [8, 2, -4, -8, 1, 3, 8, 11, 14, 16],
    [-3, 4, 10, 0, -11, 3, 9, 13, 6, 0], [18, 14, 8, 2, -3, -6, -1, 2, 5, 6],
    [2, 1, -2, -4, -8, 4, 12, 16, 18, 15],
]

# Index = language index; 0, 2 and 15 have their own interface fonts.
LANGUAGES = [
    (2052, "cn", "简体中文"), (1033, "en", "English"), (1028, "tw", "繁體中文"),
    (1031, "de", "Deutsch"), (1036, "fr", "Français"), (3082, "es", "Español"),
    (1040, "it", "Italiano"), (1046, "pt", "Português"), (1049, "ru", "Русский"),
    (1041, "jp", "日本語"), (1042, "kr", "한국어"), (1045, "pl", "Polski"),
    (1055, "tr", "Türkçe"), (1066, "vi", "Tiếng Việt"), (1057, "id", "Bahasa Indonesia"),
    (1054, "th", "ไทย"),
]


def assignment(code):
    return code[0] * 65536 + code[1] * 256 + code[2]


def key_list(codes):
    return [{"Assignment": assignment(c), "DefaultAssignment": assignment(c)} for c in codes]


def light_info(effect, old):
    return {"SelectItem": effect, "Light": 4, "Speed": 2, "Fx": 0, "MultiColor": 1, "Red": 255,
            "Green": 0, "Blue": 0, "ZZCCLedMode": 0, "CustomGroup": 0, "OldLedmode": old}


def audio_light_info():
    return {"AudioMode": 0, "BkColorR": 0, "BkColorG": 0, "BkColorB": 0, "FgColorR": 255,
            "FgColorG": 0, "FgColorB": 0, "7ColorFlags": 1, "ColorTypeFlags": 1}


def light_list(points):
    return [{"LEDREGMode": 1, "LEDBrightness": 4, "LEDSpeed": 2, "LEDDirection": 0,
             "LEDMultiColor": 0, "red": 255, "green": 255, "blue": 255} for _ in range(points)]


def keyboard_section():
    return {
        "LightInfo": light_info(1, 1),
        "AudioLightInfo": audio_light_info(),
        "KeyList": key_list(keyboard_factory_table()),
        "SystemStages": {"Repeat": 0, "RepeatDelay": 0, "Key6Flag": 0, "PollingRate": 0,
                         "WFlag": 0, "WinFlag": 0, "ModeFlag": 0},
        "CustomLightMode": {
            "CustomLightModeGroupIndex": 0,
            "LightColorInfo": [[{"Red": 0, "Green": 0, "Blue": 0, "Alpha": 0}
                                for _ in range(170)]],
        },
    }


def mouse_section():
    # DPI values are in device steps (50 DPI each on the mouse): 800, 1600, 2400, 3200, 6400.
    stages = [(16, (255, 0, 0)), (32, (0, 255, 0)), (48, (0, 0, 255)), (64, (255, 255, 0)),
              (128, (255, 0, 255))]
    return {
        "LightInfo": light_info(1, 1),
        "AudioLightInfo": audio_light_info(),
        "LightList": light_list(6),
        "KeyList": key_list(MOUSE_BUTTON_DEFAULTS),
        "DPIStages": {
            "StageActive": 1,
            "StageDPIs": [{"StageActive": 1, "StageXY": 0, "StageDPIX": d, "StageDPIY": d,
                           "StageColorR": c[0], "StageColorG": c[1], "StageColorB": c[2]}
                          for d, c in stages],
        },
        "SystemStages": {"DoubleClickTime": 500, "MouseSpeed": 10, "PointerPrecision": 1,
                         "ScorllPage": 0, "WheelScorlllinse": 3},
        "ReportStages": {"StageActive": 0},
        "CorrectInfo": [
            {"CorrectPixThresh": 2, "CorrectMinSq": 1, "CorrectSelect": 0, "CorrectName": "Low"},
            {"CorrectPixThresh": 4, "CorrectMinSq": 2, "CorrectSelect": 0, "CorrectName": "Medium"},
            {"CorrectPixThresh": 6, "CorrectMinSq": 3, "CorrectSelect": 0, "CorrectName": "High"},
        ],
    }


def mousepad_section():
    return {"LightInfo": light_info(1, 1), "LightList": light_list(15), "KeyList": []}


def headset_section():
    bands = lambda gains: [{"value": g} for g in gains]
    return {
        "LightInfo": light_info(1, 1),
        "LightList": light_list(13),
        "KeyList": [],
        "SystemSetStages": {"MagicEnable": 0, "MagicType": 1, "EqType": 5,
                            "CustomEqSeletIndex": 0, "MicInSelect": 1, "MicInValue": 80,
                            "MicMoniterSelect": 0, "MicMoniterValue": 50},
        # Entry 0 is never used (type 0 reads entry 1); entries 1..12 are the presets.
        "EQHzValueInfo": [bands([0] * 10)] + [bands(p) for p in EQ_PRESETS],
        "CustomEQHzValueInfo": [],
        "CustomEQNameInfo": [],
    }


def default_light():
    small = lambda hidden: [{"LightName": n, "visible": 0 if i in hidden else 1, "value": i}
                            for i, n in enumerate(SMALL_DEVICE_EFFECTS)]
    keyboard = [{"LightName": n, "visible": 1 if v else 0, "value": i}
                for i, (n, v) in enumerate(KEYBOARD_EFFECTS)]
    effects = [keyboard, small(()), small((5, 6, 7)), small((5, 6, 7)), keyboard, keyboard]
    areas = [[{"LightName": n} for n in AREA_EFFECTS] for _ in range(MODEL_COUNT)]
    return {"DefaultLightName": effects, "AreaLightName": areas}


def gun_events(gun):
    events = []
    for b in range(30):
        # A climb that grows over the first bullets, drifting slightly to one side.
        y = min(2 + b // (2 + gun), 8 + gun)
        x = (b % (3 + gun) == 0) and 1 or 0
        delay = (90, 100, 70, 120)[gun]
        h = "down" if gun % 2 else "up"
        events += [
            {"Action": "down", "Button": 1, "Delay": 10, "Type": 1},
            {"Action": "up", "Button": 1, "Delay": 0, "Type": 1},
            {"Action": h, "Button": x, "Delay": 5, "Type": 4},
            {"Action": "up", "Button": y, "Delay": delay, "Type": 5},
            {"Action": h, "Button": 0, "Delay": 0, "Type": 4},
            {"Action": "up", "Button": 0, "Delay": 0, "Type": 5},
        ]
    return {"Events": events}


def language_config():
    return {"Language": [{"Language_ID": i, "Language_name": n, "Language_file": "lan_%s.xml" % n,
                          "Language_text": t} for i, n, t in LANGUAGES]}


def audio_file():
    info = {"nAudioStyle": 0, "nStyleName1": "第一组", "nStyleName2": "第二组",
            "nStyleName3": "第三组", "nStyleName4": "第四组"}
    for s, rgb in enumerate([(9, 0, 0), (0, 9, 0), (0, 0, 9), (9, 9, 9)]):
        info["nStyleR%d" % s], info["nStyleG%d" % s], info["nStyleB%d" % s] = rgb
    return {"Device": {"AudioLightInfo": info}}


def write(name, doc):
    with open(os.path.join(OUT, name), "w", encoding="utf-8") as f:
        json.dump(doc, f, ensure_ascii=False, indent=3)
        f.write("\n")


def main():
    keyboard = keyboard_section()
    write("keyboard.Json", {"Device": [keyboard, keyboard, keyboard]})
    write("mouse.Json", {"Device": [mouse_section()]})
    write("MousePad.Json", {"Device": [mousepad_section()]})
    write("HD.Json", {"Device": [headset_section()]})
    write("default_light.json", default_light())
    for gun in range(4):
        write("ShootData_%d.Shoot" % gun, gun_events(gun))
    write("Language.config", language_config())
    write("AudioFile.json", audio_file())


if __name__ == "__main__":
    main()
