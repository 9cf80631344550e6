#!/usr/bin/python3
"""e2e_scenario.py QUORVANE_GUI_EXE SAMPLES LINUX_QUORVANE QT_QUORVANE_GUI: the Windows window under wine.

First its artwork against the Qt window's: both save a picture of themselves (--screenshot) with the samples listed
and the second one chosen; the pictures must agree, within a small fuzz, on every picture button, LED and the
brand, and on the whole face once the texts (the captions and the list) are blanked out on both: fonts differ from
system to system, the artwork may not. The places come from src/ui/layout.hpp, as both windows take them.

Then driven as a user would: started with --source and --dest, a song picked in the list, CUT POINT moved with the
keys (End, then Page Down three times), CUT ONE pressed, then CUT ALL by its shortcut (Ctrl+Shift+Enter). The cut
files and the log must equal, byte for byte, what the Linux command line writes for the same songs: `cut --position
N` for the same N, and `cut-all --seconds 30` (the window's clip length as it starts). Skipped (77) without wine64
or the Linux programs. Runs in WINEPREFIX when it is set, else in a throwaway prefix."""
import filecmp, glob, os, re, shutil, subprocess, sys, time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'e2e'))
from x_session import Failure, click, main, start, start_display, wait_for, windows, xdo

WINE = next((w for w in ('/usr/lib/wine/wine64', shutil.which('wine64')) if w and os.access(w, os.X_OK)), None)
LINUX, QT = (sys.argv[3:5] + ['', ''])[:2]
LAYOUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'src', 'ui', 'layout.hpp')
ROW, CUT_ONE = (250, 100), (482, 304)  # the list's first row; the middle of kButtons[CutOne]

def key(*keys):
    for name in keys:
        xdo('key', name)
        time.sleep(0.3)

def boxes(names=None):
    """The layout's boxes, (left, top, width, height): those `names` matches, else the picture buttons' and LEDs'
    (the boxes at the end of their table rows)."""
    box = r'\{(\d+), (\d+), (\d+), (\d+)'
    pattern = box + r'\}\},' if names is None else r'inline constexpr Box k(?:%s)' % names + box + r'\};'
    return [tuple(map(int, found)) for found in re.findall(pattern, open(LAYOUT).read())]

def artwork(exe, folder, samples):
    shots = {side: os.path.join(folder, side + '.png') for side in ('win32', 'qt')}
    subprocess.run([WINE, exe, '--screenshot', shots['win32'], '--source', samples, '--select', '2'], timeout=60)
    subprocess.run([QT, '--screenshot', shots['qt'], '--source', samples, '--select', '2'], capture_output=True,
                   env=dict(os.environ, QT_QPA_PLATFORM='offscreen'), timeout=60)
    texts = boxes(r'\w+Caption|SongList')
    if len(boxes()) < 9 or len(texts) < 9:
        raise Failure("the layout's boxes were not found in " + LAYOUT)
    blank = [arg for l, t, w, h in texts for arg in ('-draw', 'rectangle %d,%d,%d,%d' % (l, t, l + w - 1, t + h - 1))]
    for side, shot in shots.items():
        subprocess.run(['convert', shot, '-fill', 'black', *blank, shot + '.blank.png'], check=True)
    differ = []
    for (l, t, w, h), suffix in [(box, '') for box in boxes() + boxes('Brand')] + [((0, 0, 566, 400), '.blank.png')]:
        geometry = '[%dx%d+%d+%d]' % (w, h, l, t)
        pixels = subprocess.run(['compare', '-metric', 'AE', '-fuzz', '3%', *(shot + suffix + geometry for shot in
                                 shots.values()), 'null:'], capture_output=True, text=True).stderr.strip()
        if pixels != '0':
            differ.append('%s: %s pixels' % (geometry, pixels))
    if differ:
        raise Failure("the artwork differs from the Qt window's at " + ', '.join(differ))

def cut_in_window(exe, win, songs):
    """CUT ONE of the second song with CUT POINT where End and three Page Downs leave it, then CUT ALL."""
    windows_path = lambda path: 'Z:' + path.replace('/', '\\')
    program = start([WINE, exe, '--source', windows_path(win + '/songs'), '--dest', windows_path(win + '/one')])
    window = wait_for('the main window', lambda: windows()[0], 60)
    xdo('windowactivate', '--sync', window)
    time.sleep(1)
    click(window, *ROW)  # the list takes the keyboard
    key('Down')          # the second song, chosen and measured
    time.sleep(0.7)
    key('Tab', 'End', 'Next', 'Next', 'Next')  # CUT POINT
    click(window, *CUT_ONE)
    one = wait_for('CUT ONE to write its cut', lambda: glob.glob(win + '/one/*.mid'), 20)
    time.sleep(0.5)
    os.rename(one[0], win + '/one.cut')
    xdo('key', '--window', window, 'ctrl+shift+Return')
    log = win + '/songs/Quorvane.log'
    wait_for('CUT ALL to cut every song', lambda: os.path.exists(log) and os.path.getsize(log) > 0 and len(
        os.listdir(win + '/one')) == songs, 60)
    time.sleep(1)
    xdo('key', 'ctrl+q')
    wait_for('Ctrl+Q to end the program', lambda: program.poll() is not None, 20)

def scenario(exe, folder, samples):
    start_display(reuse=True)  # Wine's prefix keeps the display it first started on
    os.environ['WINEDEBUG'] = '-all'
    sides = {side: os.path.join(folder, side) for side in ('windows', 'linux')}
    for side in sides.values():
        os.makedirs(side + '/one'), os.makedirs(side + '/all')
        shutil.copytree(samples, side + '/songs', ignore=lambda _, names: [n for n in names if not n.endswith('.mid')])
    win, linux = sides['windows'], sides['linux']
    own_prefix = not os.environ.get('WINEPREFIX')
    if own_prefix:
        os.environ['WINEPREFIX'] = folder + '/prefix'
    try:
        artwork(exe, folder, samples)
        cut_in_window(exe, win, len(os.listdir(win + '/songs')))
    finally:
        if own_prefix:  # its server, and so its programs
            subprocess.run([os.path.join(os.path.dirname(WINE), 'wineserver'), '-k'], capture_output=True)

    # The same on Linux: the second song of the list (the upper-case names, sorted), cut at the same position.
    song = sorted(os.listdir(linux + '/songs'), key=str.upper)[1]
    info = subprocess.run([LINUX, 'info', linux + '/songs/' + song], capture_output=True, text=True, check=True)
    steps = int(re.search(r'^positions: *1 to (\d+)$', info.stdout, re.M).group(1))
    position = steps - 3 * max(steps // 10, 1)
    for args in (['cut', '--position', str(position), '--dest', linux + '/one', linux + '/songs/' + song],
                 ['cut-all', linux + '/songs', '--seconds', '30', '--dest', linux + '/all']):
        subprocess.run([LINUX, *args], capture_output=True, check=True)

    pairs = [('CUT ONE of %s at position %d' % (song, position), win + '/one.cut', glob.glob(linux + '/one/*')[0]),
             ('the log', win + '/songs/Quorvane.log', linux + '/songs/Quorvane.log')]
    cuts = {name.lower(): name for name in os.listdir(win + '/one')}
    for name in sorted(os.listdir(linux + '/all')):
        if name.lower() not in cuts:
            raise Failure('CUT ALL wrote no ' + name)
        pairs.append(("CUT ALL's " + name, win + '/one/' + cuts[name.lower()], linux + '/all/' + name))
    if differ := [what for what, ours, theirs in pairs if not filecmp.cmp(ours, theirs, shallow=False)]:
        raise Failure('differs from the command line: ' + ', '.join(differ))
    print("the window's artwork is the Qt window's; its cuts and log are the command line's (CUT ONE at %d)" % position)

if __name__ == '__main__':
    if not WINE or not shutil.which('compare') or not all(os.access(path, os.X_OK) for path in (LINUX, QT)):
        print('SKIP: no wine64 or imagemagick, or no Linux programs at %s and %s' % (LINUX, QT))
        sys.exit(77)
    sys.exit(main(scenario, 150))
