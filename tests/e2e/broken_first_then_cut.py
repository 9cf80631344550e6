#!/usr/bin/python3
"""broken_first_then_cut.py QUORVANE_GUI SAMPLES_DIR: the window on Xvfb with openbox, driven by xdotool. The
source folder's first song cannot be read: its message must go away for good with one Enter. Then clicks on the
second song, the cut slider and CUT ONE must leave a cut file that mido reads and that is shorter than the song."""
import ctypes, os, select, shutil, signal, subprocess, sys, tempfile, time

import mido

TITLE, SIZE = '^Quorvane$', ('566', '400')  # the title of the main window and of its messages; its size
LIST = (192, 94)                            # layout.hpp: kListMIDI's top left
SLIDER = (288 + 124 * 3 // 4, 284 + 21 // 2)  # three quarters along kSegmento
CUT_ONE = (427 + 55, 282 + 22)              # the middle of kButtons[kCutOne]
SONGS = ['format0_tempo_volume.mid', 'format1_band.mid']
children = []

class Failure(Exception): pass

def start(args, **kw):
    # Killed with this script (PR_SET_PDEATHSIG), even when CTest kills the script outright.
    prctl = ctypes.CDLL(None).prctl
    children.append(subprocess.Popen(args, preexec_fn=lambda: prctl(1, signal.SIGKILL), **kw))
    return children[-1]

def xdo(*args, retry=True):
    """xdotool's output; made again when a window vanished under it (a search walks them all)."""
    for _ in range(20):
        run = subprocess.run(['xdotool', *args], capture_output=True, text=True, timeout=10)
        if not retry or 'X Error' not in run.stderr:
            return run.stdout
        time.sleep(0.05)
    raise Failure('xdotool %s: %s' % (' '.join(args), run.stderr.strip()))

def wait_for(what, probe, seconds, must=True):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if found := probe():
            return found
        time.sleep(0.1)
    if must:
        raise Failure('waited %g s for: %s' % (seconds, what))

def windows():
    """The program's visible windows: the main window (or None) and the others, message boxes."""
    main, boxes = None, []
    for wid in xdo('search', '--onlyvisible', '--name', TITLE).split():
        geo = dict(kv.split('=', 1) for kv in xdo('getwindowgeometry', '--shell', wid, retry=False).split())
        if (geo.get('WIDTH'), geo.get('HEIGHT')) == SIZE:
            main = wid
        elif geo:  # else gone since the search
            boxes.append(wid)
    return main, boxes

def click(window, x, y):
    xdo('mousemove', '--window', window, str(x), str(y), 'click', '1')
    time.sleep(0.5)

def scenario(gui, folder, samples):
    read_end, write_end = os.pipe()  # Xvfb picks a free display and writes its number here
    start(['Xvfb', '-displayfd', str(write_end), '-screen', '0', '1024x768x24', '-nolisten', 'tcp'],
          pass_fds=[write_end], stderr=subprocess.DEVNULL)
    os.close(write_end)
    if not select.select([read_end], [], [], 15)[0]:
        raise Failure('Xvfb gave no display within 15 s')
    os.environ['DISPLAY'] = ':' + os.read(read_end, 16).decode().strip()
    start(['openbox', '--sm-disable'], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for('openbox', lambda: 'window id' in subprocess.run(['xprop', '-root', '_NET_SUPPORTING_WM_CHECK'],
                                                              capture_output=True, text=True, timeout=10).stdout, 15)
    for song in SONGS:
        shutil.copy(os.path.join(samples, song), folder)
    # Listed first (the list is the upper-case names, sorted) and unreadable.
    with open(os.path.join(samples, SONGS[1]), 'rb') as song, open(folder + '/AAA_BROKEN.MID', 'wb') as out:
        out.write(song.read(100))
    second = sorted(os.listdir(folder), key=str.upper)[1]
    # No --select: no song is chosen when the window opens. Settings in a fresh place: nothing remembered.
    program = start([gui, '--source', folder], env=dict(os.environ, QT_QPA_PLATFORM='xcb',
                                                        XDG_CONFIG_HOME=os.path.join(folder, '.config')))
    main = wait_for('the main window', lambda: windows()[0], 15)

    # Only the user chooses a song: nothing may open before the click on it.
    if wait_for('a message', lambda: windows()[1], 2, must=False):
        raise Failure('a message opened before any song was clicked')
    click(main, LIST[0] + 60, LIST[1] + 6)
    box = wait_for('a message after a click on the unreadable song', lambda: windows()[1], 5)[0]
    # Enter once the box has had the focus a moment, as a user would: an earlier key can close it before the
    # main window has lost the focus.
    wait_for('the message to take the focus', lambda: xdo('getactivewindow').strip() == box, 5)
    time.sleep(0.5)
    xdo('key', '--window', box, 'Return', retry=False)  # the release may find the box gone
    wait_for('Enter to close the message', lambda: box not in windows()[1], 5)
    # A message that comes back may open and close many times a second: any other window of ours, seen or given
    # the focus, counts.
    deadline = time.monotonic() + 2
    while time.monotonic() < deadline:
        if others := (set(windows()[1]) | {xdo('getactivewindow').strip()}) - {main, box, ''}:
            raise Failure('the message came back after one Enter closed it (window %s)' % others.pop())
        time.sleep(0.1)
    if program.poll() is not None:
        raise Failure('the program ended (status %s) after the message' % program.returncode)

    click(main, LIST[0] + 60, LIST[1] + 21)  # in the second row for any row height from 11 to 20 px
    click(main, *SLIDER)  # the thumb jumps to a click on the rail
    click(main, *CUT_ONE)
    source = mido.MidiFile(os.path.join(folder, second))
    # Beside the source, under its own name; Format 0 in lower case.
    cut_name = second[:-4] + '-CUT.mid' if source.type == 1 else (second[:-4] + '-cut.mid').lower()
    wait_for('CUT ONE to write ' + cut_name, lambda: os.path.exists(os.path.join(folder, cut_name)), 10)
    try:
        cut = mido.MidiFile(os.path.join(folder, cut_name))
    except Exception as error:  # any fault mido finds in the file
        raise Failure('mido cannot read %s: %s' % (cut_name, error))
    if not 0 < cut.length < source.length:
        raise Failure('%s lasts %.2f s, the song %.2f s' % (cut_name, cut.length, source.length))
    print('%s: %.2f s of %.2f s' % (cut_name, cut.length, source.length))

def too_long(*_):
    raise Failure('the scenario took over 50 s')

def main(argv):
    if missing := [tool for tool in ('Xvfb', 'openbox', 'xdotool', 'xprop', 'xwininfo') if not shutil.which(tool)]:
        print('SKIP: not installed: ' + ' '.join(missing))
        return 77
    signal.signal(signal.SIGALRM, too_long)  # ends the scenario cleanly before CTest's own timeout kills it
    signal.alarm(50)
    folder = tempfile.mkdtemp(prefix='quorvane-e2e-')
    try:
        scenario(argv[1], folder, argv[2])
        print('PASS')
        return 0
    except (Failure, subprocess.TimeoutExpired) as error:
        print('FAIL: %s' % error)
        if len(children) >= 2:  # our display: what windows were there
            tree = subprocess.run(['xwininfo', '-root', '-tree'], capture_output=True, text=True, timeout=10).stdout
            print('windows:', *[line.strip() for line in tree.splitlines() if 'Quorvane' in line], sep='\n  ')
        return 1
    finally:
        signal.alarm(0)
        for proc in reversed(children):
            proc.kill(), proc.wait()
        shutil.rmtree(folder, ignore_errors=True)

if __name__ == '__main__':
    sys.exit(main(sys.argv))
