#!/usr/bin/env python3
# Writes resources/skin/lang/lan_*.xml from the key table below and the main window's keys.
import json, os
from xml.sax.saxutils import quoteattr
ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..'))
OWN = [
 # message box texts the panels and the main window ask with
 ('message_text_2', 'A key is assigned to this macro. Delete the macro and give the key its default back?',
  '有按键正在使用此宏。删除宏并将该按键恢复为默认功能吗？'),
 ('message_text_4', 'Delete this macro?', '确定删除此宏吗？'),
 ('message_text_5', 'This name is already taken. Please choose another one.', '该名称已被使用，请换一个名称。'),
 ('message_text_6', 'The only left button cannot be reassigned.', '唯一的左键不能被重新分配。'),
 ('message_text_7', 'Writing to the device failed. Check the connection and try again.', '写入设备失败，请检查连接后重试。'),
 ('message_text_16', 'The device did not accept the data (error %d).', '设备未接受数据（错误 %d）。'),
 ('message_text_22', 'Restore the default settings of this device?', '确定恢复此设备的默认设置吗？'),
 ('message_text_25', 'The name cannot be empty.', '名称不能为空。'),
 # message box
 ('message_title', 'Notice', '提示'),
 ('msg_confirm_btn', 'OK', '确定'),
 ('msg_cancel_btn', 'Cancel', '取消'),
 ('msg_close_tip', 'Close', '关闭'),
 # About
 ('about_title', 'About', '关于'),
 ('about_app_name', 'Zorv Wired Manager', 'Zorv 有线管理器'),
 ('software_rev_text', 'Software version: ', '软件版本：'),
 ('about_description', 'Configure lighting, keys, macros and profiles of your Zorv wired devices.',
  '配置 Zorv 有线设备的灯光、按键、宏和配置文件。'),
 ('about_copyright', '© Zorv. All rights reserved.', '© Zorv 保留所有权利。'),
 ('about_homepage_btn', 'Visit homepage', '访问官网'),
 ('about_menu_tip', 'Menu', '菜单'),
 ('about_min_tip', 'Minimise', '最小化'),
 ('about_max_tip', 'Maximise', '最大化'),
 ('about_restore_tip', 'Restore', '还原'),
 ('about_close_tip', 'Close', '关闭'),
 # skin chooser
 ('skin_image_tab', 'Images', '图片'),
 ('skin_color_tab', 'Colours', '纯色'),
 ('skin_reset_btn', 'Default', '恢复默认'),
 ('skin_custom_btn', 'Choose your own image…', '选择自定义图片…'),
 ('skin_color_tip', 'Use this colour', '使用此颜色'),
 ('skin_color_hint', 'A plain colour is used until you choose again.', '纯色背景会一直保留，直到再次选择。'),
 ('skin_image_tip_1', 'Deep blue', '深蓝'),
 ('skin_image_tip_2', 'Night sky', '夜空'),
 ('skin_image_tip_3', 'Forest', '森林'),
 ('skin_image_tip_4', 'Violet', '紫罗兰'),
 ('skin_image_tip_5', 'Ember', '余烬'),
 ('skin_image_tip_6', 'Amber', '琥珀'),
]
EFFECTS = {
 'light_mode_user': ('Custom', '自定义'), 'light_mode_wave': ('Wave', '波浪'), 'light_mode_fast_wave': ('Fast wave', '快速波浪'),
 'light_mode_circle_wave': ('Circle wave', '环形波浪'), 'light_mode_spectrum': ('Spectrum', '光谱'),
 'light_mode_breathing': ('Breathing', '呼吸'), 'light_mode_static': ('Static', '常亮'), 'light_mode_key_glow': ('Key glow', '按键亮起'),
 'light_mode_column_ripple': ('Column ripple', '列涟漪'), 'light_mode_cross_ripple': ('Cross ripple', '十字涟漪'),
 'light_mode_starlight': ('Starlight', '星光'), 'light_mode_spectrum_keys': ('Spectrum keys', '按键光谱'),
 'light_mode_blink': ('Blink', '闪烁'), 'light_mode_blink_four': ('Blink, four colours', '四色闪烁'),
 'light_mode_breathing_four': ('Breathing, four colours', '四色呼吸'), 'light_mode_breathing_keys': ('Breathing keys', '按键呼吸'),
 'light_mode_custom': ('Per-key colours', '单键自定义'), 'light_mode_flow': ('Flow', '流光'), 'light_mode_gradient': ('Gradient', '渐变'),
 'light_mode_key_fade': ('Key fade', '按键渐隐'), 'light_mode_key_fade_wide': ('Wide key fade', '宽幅渐隐'),
 'light_mode_key_glow_hold': ('Key glow, held', '按住亮起'), 'light_mode_music': ('Music', '音乐律动'),
 'light_mode_music_colour': ('Music colours', '音乐色彩'), 'light_mode_off': ('Off', '关闭'),
 'light_mode_preset_colour': ('Preset colours', '预设颜色'), 'light_mode_reactive': ('Reactive', '触发'),
 'light_mode_side_ripple': ('Side ripple', '侧边涟漪'), 'light_mode_side_wave': ('Side wave', '侧边波浪'),
 'light_mode_snake': ('Snake', '贪吃蛇'), 'light_mode_stage_wave': ('Stage wave', '舞台波浪'), 'light_mode_sweep': ('Sweep', '扫描'),
 'light_mode_twinkle': ('Twinkle', '闪耀'), 'light_mode_wave_matrix': ('Wave matrix', '矩阵波浪'), 'light_mode_wave_rows': ('Row wave', '行波浪'),
 'area_light_blink': ('Blink', '闪烁'), 'area_light_breathing': ('Breathing', '呼吸'), 'area_light_off': ('Off', '关闭'),
 'area_light_spectrum': ('Spectrum', '光谱'), 'area_light_static': ('Static', '常亮'),
}

def light_names():
    names = set()
    def walk(v):
        if isinstance(v, dict):
            if isinstance(v.get('LightName'), str): names.add(v['LightName'])
            for x in v.values(): walk(x)
        elif isinstance(v, list):
            for x in v: walk(x)
    walk(json.load(open(f'{ROOT}/DefaultData/default_light.json', encoding='utf-8')))
    return sorted(names)

rows = list(OWN)
for name in light_names():
    en, zh = EFFECTS.get(name, (name.split('_', 2)[-1].replace('_', ' ').capitalize(), None))
    rows.append((name, en, zh or en))
# Every layout folder lists the keys it introduces in a text-keys.tsv (key, English, Chinese).
import glob
for tsv in sorted(glob.glob(f'{ROOT}/skin/**/text-keys.tsv', recursive=True)):
    for line in open(tsv, encoding='utf-8'):
        parts = line.rstrip('\n').split('\t')
        if len(parts) >= 3 and parts[0] and not parts[0].startswith('#'):
            rows.append((parts[0], parts[1], parts[2]))
seen = {}
for key, en, zh in rows:
    seen.setdefault(key, (en, zh))

langs = json.load(open(f'{ROOT}/DefaultData/Language.config', encoding='utf-8'))['Language']
os.makedirs(f'{ROOT}/skin/lang', exist_ok=True)
for lang in langs:
    chinese = lang['Language_name'] == 'cn'
    out = ['<?xml version="1.0" encoding="utf-8"?>',
           f'<Language name={quoteattr(lang["Language_name"])}>']
    for key, (en, zh) in seen.items():
        out.append(f'  <Text key={quoteattr(key)} value={quoteattr(zh if chinese else en)}/>')
    out.append('</Language>')
    open(f'{ROOT}/skin/lang/{lang["Language_file"]}', 'w', encoding='utf-8').write('\n'.join(out) + '\n')
print(len(seen), 'keys,', len(langs), 'files')
