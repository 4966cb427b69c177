#!/usr/bin/env python3
"""Consistency check of the skin: layouts, language files, pictures, language table.

Usage: check_skin.py [DATA_DIR]   (default: the data/ folder of this source tree)

Checks that every control the program looks up exists exactly once in its layout
with the expected widget class, that every language id used by a layout has a
text in every language file and that the language files hold the same ids,
that format texts carry exactly one %d, that every picture a layout or the
style sheet names exists, that the device-list icons are 48 x 48 PNG files,
that the drop-down lists' user data matches their items, and that option
groups do not share a parent with another group (they are exclusive per
parent). Prints every problem and exits 1 when there is any.
"""
import json
import os
import re
import struct
import sys
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, '..', '..', 'data'))
SKIN = os.path.join(DATA, 'skin')
problems = []


def problem(text):
    problems.append(text)


def rng(prefix, n, cls):
    return {f'{prefix}{i}': cls for i in range(n)}


PB, RB, CB, SL, LE, CO, LA, SW, W = ('QPushButton', 'QRadioButton', 'QCheckBox', 'QSlider', 'QLineEdit',
                                    'QComboBox', 'QLabel', 'QStackedWidget', 'QWidget')

REQUIRED = {
    'main.ui': {
        'root': W, 'title_bar': W, 'title_logo': LA, 'title_text': LA, 'control_light_status': PB,
        'setbtn': PB, 'minbtn': PB, 'maxbtn': PB, 'restorebtn': PB, 'closebtn': PB,
        'device_select_prev': PB, 'device_select_layout': W, 'device_select_next': PB,
        'device_page_layout': SW, 'No_device_Link': W, 'nodevice_text': LA, 'nodevice_ok_btn': PB,
        'Error_device_Link': W, 'errordevice_text': LA, 'errordevice_connect_btn': PB, 'errordevice_ok_btn': PB,
        'setting_progress': 'QProgressBar',
    },
    'device_option.ui': {
        'device_option': W, 'device_select': PB, 'synchro_device_select': CB, 'device_select_name': LA,
        'device_power': LA,
    },
    'device_profile.ui': {
        'DeviceProfile': W, 'device_profile_combo': CO, 'device_profile_name_edit': LE,
        'device_profile_edit_save_btn': PB, 'profile_fun_spread_btn': PB, 'profile_menu_layout': None,
        'device_add_btn': PB, 'device_sub_btn': PB, 'device_copy_btn': PB, 'device_import_btn': PB,
        'device_export_btn': PB, 'device_reset_btn': PB,
    },
    'mouse_page.ui': {
        'mouse_page': W, 'DeviceProfileItem': W, 'default_btn': PB,
        'deng_Op_tab': RB, 'key_Op_tab': RB, 'macro_Op_tab': RB, 'system_Op_tab': RB, 'cursor_Op_tab': RB,
        '6533_voice_Op_tab': RB, 'magic_Op_tab': RB, 'Virtual7.1_Op_tab': RB, 'otherset_Op_tab': RB,
        'mouse_device_picture': W, 'mouse_picture_image': LA, 'logo': LA, 'device_battery': LA,
        **rng('light_', 15, 'CLedDotUI'), **rng('key_', 11, PB),
        'device_function_layout': SW, 'mouse_option_layout': W, 'mouse_device_seting_layout': SW,
        **rng('mouse_device_seting_option_', 3, RB),
        **rng('DPI_enable_check_', 7, CB), **rng('DPI_select_check_', 7, RB), **rng('DPI_slider_', 7, SL),
        **rng('DPI_edit_', 7, LE), **rng('DPI_color_option_', 7, PB), **rng('polling_rate_option_', 5, RB),
        **rng('Silent_Altitude_option_', 2, RB), **rng('Linear_Calibration_option_', 2, RB),
        **rng('Ripple_option_', 2, RB), 'Anti_Shake_combo_timeSelect': CO, 'ble_sleep1_combo': CO,
        'ble_sleep2_combo': CO, 'device_sleep1_combo': CO, 'device_sleep2_combo': CO,
        'pointer_speed_slider': SL, 'pointer_precision_check': CB, 'scrolls_page_check': CB,
        'scroll_speed_slider': SL, 'double_click_slider': SL, 'device_tishi_info': LA,
    },
    'msg.ui': {
        'msg_root': W, 'MessageTitle': LA, 'closebtn': PB, 'MessageText': LA, 'confirm_btn': PB, 'cancel_btn': PB,
    },
}

# ids the program looks up itself (not through a layout)
PROGRAM_IDS = (['message_text_%d' % n for n in (2, 4, 5, 7, 16, 22, 25, 26, 32, 33, 34, 35)] +
               ['UpdateTiShi', 'UpdateTiShiText', 'kb_device_name_text', 'ms_device_name_text',
                'hard_mp_device_name_text', 'soft_mp_device_name_text', 'hd_device_name_text',
                'hub_device_name_text', 'unknow_device_name_text', 'setwnd_menu', 'about_menu', 'exit',
                'control_light_on', 'control_light_off', 'device_tishi_info', 'app_title', 'msg_confirm',
                'msg_cancel', 'feature_cli_hint', 'synchro_tip'])
FORMAT_IDS = {'message_text_16', 'message_text_26', 'unit_minutes', 'unit_ms'}
DEVICE_KINDS = ('kb', 'ms', 'hard_mp', 'soft_mp', 'hd', 'hub', 'unknow')
DEVICE_STATES = ('normal', 'selected', 'synchro_normal', 'synchro_selected')


def png_size(path):
    with open(path, 'rb') as f:
        head = f.read(24)
    if len(head) < 24 or head[:8] != b'\x89PNG\r\n\x1a\n' or head[12:16] != b'IHDR':
        return None
    return struct.unpack('>II', head[16:24])


def read_lang(name):
    path = os.path.join(SKIN, 'lang', name)
    try:
        root = ET.parse(path).getroot()
    except (OSError, ET.ParseError) as e:
        problem(f'{name}: cannot read: {e}')
        return {}
    texts = {}
    for t in root.iter('text'):
        i = t.get('id')
        if not i:
            problem(f'{name}: a text without id')
        elif i in texts:
            problem(f'{name}: id {i} appears twice')
        elif not (t.text or '').strip():
            problem(f'{name}: id {i} has an empty text')
        texts[i] = t.text or ''
    return texts


def prop_value(p):
    for c in p:
        return c.text or ''
    return ''


def check_layout(fname, required, langs):
    path = os.path.join(SKIN, fname)
    try:
        tree = ET.parse(path)
    except (OSError, ET.ParseError) as e:
        problem(f'{fname}: cannot read: {e}')
        return
    widgets = list(tree.getroot().iter('widget'))
    counts, classes = {}, {}
    for w in widgets:
        n = w.get('name')
        counts[n] = counts.get(n, 0) + 1
        classes[n] = w.get('class')
    for n, cls in required.items():
        if counts.get(n, 0) != 1:
            problem(f'{fname}: control {n} found {counts.get(n, 0)} times, wanted once')
        elif cls and classes[n] != cls:
            problem(f'{fname}: control {n} is a {classes[n]}, wanted {cls}')
    top = tree.getroot().find('widget')
    if top is None or top.get('name') != next(iter(required)):
        problem(f'{fname}: top-level widget should be {next(iter(required))}')
    custom = {c.findtext('class'): c for c in tree.getroot().iter('customwidget')}
    for n, cls in classes.items():
        if cls not in custom and not cls.startswith('Q'):
            problem(f'{fname}: class {cls} of {n} is not declared in customwidgets')
    for cls, c in custom.items():
        if not c.findtext('extends') or not c.findtext('header'):
            problem(f'{fname}: custom widget {cls} lacks extends or header')

    for w in widgets:
        n = w.get('name')
        props = {p.get('name'): p for p in w.findall('property')}
        for key in ('langId', 'langTipId'):
            if key in props:
                lid = prop_value(props[key])
                for lname, texts in langs.items():
                    if lid not in texts:
                        problem(f'{fname}: {n} uses {key} {lid}, missing in {lname}')
        # item texts against their user data
        items = [prop_value(p) for it in w.findall('item') for p in it.findall('property') if p.get('name') == 'text']
        if 'itemUserData' in props:
            data = prop_value(props['itemUserData']).split(';')
            if len(data) != len(items):
                problem(f'{fname}: {n} has {len(items)} items but {len(data)} user data values')
            for d in data:
                if not d.isdigit() or int(d) > 255:
                    problem(f'{fname}: {n} user data {d!r} is not a number 0-255')
        if w.get('class') == CO and n in required and fname == 'mouse_page.ui' and not items:
            problem(f'{fname}: drop-down {n} has no items')
        # pictures
        for p in w.findall('property'):
            for tag in ('pixmap', 'normaloff', 'normalon', 'disabledoff', 'disabledon', 'activeoff', 'activeon',
                        'selectedoff', 'selectedon'):
                for el in p.iter(tag):
                    if el.text and not os.path.isfile(os.path.join(SKIN, el.text)):
                        problem(f'{fname}: {n} names a missing picture {el.text}')

    # options are exclusive per parent: one group of one kind per parent
    families = {}

    def walk(el, parent):
        for c in el:
            if c.tag == 'widget':
                if c.get('class') == RB and parent is not None:
                    name = c.get('name')
                    fam = '*_Op_tab' if name.endswith('_Op_tab') else name.rstrip('0123456789')
                    families.setdefault(parent.get('name'), set()).add(fam)
                walk(c, c)
            else:
                walk(c, parent)
    walk(tree.getroot(), None)
    for parent, fam in families.items():
        if len(fam) > 1:
            problem(f'{fname}: option groups {sorted(fam)} share the parent {parent}')


def check_stylesheet():
    path = os.path.join(SKIN, 'style.qss')
    try:
        text = open(path, encoding='utf-8').read()
    except OSError as e:
        problem(f'style.qss: cannot read: {e}')
        return
    if text.count('{') != text.count('}'):
        problem('style.qss: unbalanced braces')
    for url in re.findall(r'url\(([^)]*)\)', text):
        if not url.startswith('@skin@/'):
            problem(f'style.qss: url({url}) does not start with @skin@/')
        elif not os.path.isfile(os.path.join(SKIN, url[len('@skin@/'):])):
            problem(f'style.qss: url({url}) names a missing file')


def check_language_table(langs):
    path = os.path.join(DATA, 'DefaultData', 'Language.config')
    try:
        table = json.load(open(path, encoding='utf-8'))['Language']
    except (OSError, ValueError, KeyError, TypeError) as e:
        problem(f'Language.config: cannot read: {e}')
        return
    ids = [e.get('Language_ID') for e in table]
    if sorted(ids) != [1033, 2052]:
        problem(f'Language.config: language ids {ids}, wanted 1033 and 2052')
    for e in table:
        f = e.get('Language_file', '')
        if not os.path.isfile(os.path.join(SKIN, f)):
            problem(f'Language.config: {f} does not exist under skin/')
        for k in ('Language_name', 'Language_text'):
            if not e.get(k):
                problem(f'Language.config: entry {e.get("Language_ID")} lacks {k}')


def main():
    langs = {n: read_lang(n) for n in ('lan_en.xml', 'lan_cn.xml')}
    en, cn = langs['lan_en.xml'], langs['lan_cn.xml']
    for i in sorted(set(en) ^ set(cn)):
        problem(f'language id {i} is in only one language file')
    for i in PROGRAM_IDS:
        for lname, texts in langs.items():
            if i not in texts:
                problem(f'{lname}: id {i} used by the program is missing')
    for lname, texts in langs.items():
        for i, t in texts.items():
            n = len(re.findall(r'%[a-zA-Z]', t))
            if i in FORMAT_IDS and (n != 1 or '%d' not in t):
                problem(f'{lname}: format text {i} must hold exactly one %d')
            if i not in FORMAT_IDS and n:
                problem(f'{lname}: {i} holds a format sequence but is shown as plain text')
    if cn.get('control_light_on') != '控制灯光' or cn.get('control_light_off') != '不控制灯光':
        problem('lan_cn.xml: control_light_on/off must read 控制灯光 / 不控制灯光')

    for fname, req in REQUIRED.items():
        check_layout(fname, req, langs)
    check_stylesheet()
    check_language_table(langs)

    for k in DEVICE_KINDS:
        for s in DEVICE_STATES:
            p = os.path.join(SKIN, 'common', 'device_ico', f'{k}_device_{s}.png')
            if not os.path.isfile(p):
                problem(f'device icon {os.path.basename(p)} is missing')
            elif png_size(p) != (48, 48):
                problem(f'device icon {os.path.basename(p)} is not a 48 x 48 PNG')
    app_png = os.path.join(SKIN, 'app', 'r730cfg.png')
    if not os.path.isfile(app_png) or png_size(app_png) != (256, 256):
        problem('app/r730cfg.png is missing or not 256 x 256')
    if not os.path.isfile(os.path.join(SKIN, 'app', 'r730cfg.svg')):
        problem('app/r730cfg.svg is missing')
    for d, want in (('r730cfg.desktop', 'Exec=r730cfg\n'), ('r730cfg-autostart.desktop', 'Exec=r730cfg --hidden\n')):
        p = os.path.join(DATA, 'desktop', d)
        if not os.path.isfile(p) or want not in open(p, encoding='utf-8').read():
            problem(f'desktop/{d} is missing or lacks {want.strip()}')

    for p in problems:
        print(p)
    print(f'skin check: {len(problems)} problem(s)')
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
