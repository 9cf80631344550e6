#!/usr/bin/python3
"""cancel_relist_measure.py QUORVANE_GUI SAMPLES_DIR: the window on Xvfb with openbox, driven by xdotool and looked at
with XGetImage, through the faults a new user met:
1. Esc in the SOURCE and DEST dialogs leaves every pixel of the window as it was;
2. after the message of an unreadable song (reached with Down), the next Down chooses the song below it;
3. CUT ONE right after a choice cuts the whole song: the thumb starts at the song's end;
4. CUT ONE while a long song is measured is refused, and when the measure ends the older "Written" line does not
   come back;
5. a new source folder with a song of the same name leaves no song current: CUT ONE writes nothing;
and at the end the remembered folders are the source chosen last and the destination never changed."""
import ctypes, os, select, shutil, signal, struct, subprocess, sys, tempfile, time

import mido

TITLE, SIZE = '^Quorvane$', ('566', '400')  # the title of the main window and of its messages; its size
SOURCE_DIALOG, DEST_DIALOG = '^Choose Harmara source path', '^Choose Midi-Files destination path'
LIST = (192, 94)               # layout.hpp: kListMIDI's top left
STATUS = (262, 378, 292, 15)   # layout.hpp: kLabStatus
BROKEN, NEXT, LONG = 11, 12, 13  # rows: an unreadable song below the list's first page, a good one, a long one
SONGS = ['format0_tempo_volume.mid', 'format1_band.mid', 'format1_div96_plain.mid']
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

def windows(title=TITLE):
    """The program's visible windows named `title`: the main window (or None) and the others."""
    main, others = None, []
    for wid in xdo('search', '--onlyvisible', '--name', title).split():
        geo = dict(kv.split('=', 1) for kv in xdo('getwindowgeometry', '--shell', wid, retry=False).split())
        if (geo.get('WIDTH'), geo.get('HEIGHT')) == SIZE and title == TITLE:
            main = wid
        elif geo:  # else gone since the search
            others.append(wid)
    return main, others

class Screen:
    """The pixels of a window, read with XGetImage."""
    class XImage(ctypes.Structure):
        _fields_ = [('width', ctypes.c_int), ('height', ctypes.c_int), ('xoffset', ctypes.c_int),
                    ('format', ctypes.c_int), ('data', ctypes.c_void_p), ('byte_order', ctypes.c_int),
                    ('bitmap_unit', ctypes.c_int), ('bitmap_bit_order', ctypes.c_int), ('bitmap_pad', ctypes.c_int),
                    ('depth', ctypes.c_int), ('bytes_per_line', ctypes.c_int)]

    def __init__(self):
        self.x11 = ctypes.CDLL('libX11.so.6')
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XGetImage.restype = ctypes.POINTER(Screen.XImage)
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                       ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x11.XFree.argtypes = [ctypes.c_void_p]
        # An X error (a window gone) must not end the script: XGetImage then gives nothing.
        self.handler = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda *_: 0)
        self.x11.XSetErrorHandler.argtypes = [ctypes.c_void_p]
        self.x11.XSetErrorHandler(ctypes.cast(self.handler, ctypes.c_void_p))
        self.display = self.x11.XOpenDisplay(None)
        if not self.display:
            raise Failure('cannot open the display')

    def grab(self, window, box=(0, 0, int(SIZE[0]), int(SIZE[1]))):
        x, y, width, height = box
        image = self.x11.XGetImage(self.display, int(window), x, y, width, height, 0xFFFFFFFF, 2)  # ZPixmap
        if not image:
            raise Failure('cannot read the window\'s pixels')
        data = ctypes.string_at(image.contents.data, image.contents.bytes_per_line * height)
        self.x11.XFree(image.contents.data)
        self.x11.XFree(ctypes.cast(image, ctypes.c_void_p))
        return data

def key(*keys):
    xdo('key', '--delay', '120', *keys)
    time.sleep(0.3)

def dialog_answered(title, answer, main):
    """Opens nothing itself: waits for the folder dialog `title`, then types `answer` (None: Esc)."""
    dialog = wait_for('the dialog ' + title, lambda: windows(title)[1], 10)[0]
    wait_for('the dialog to take the focus', lambda: xdo('getactivewindow').strip() == dialog, 5)
    time.sleep(0.3)
    if answer is None:
        xdo('key', 'Escape')
    else:
        xdo('type', '--delay', '15', answer)
        time.sleep(0.3)
        xdo('key', 'Return')
    wait_for('the dialog to close', lambda: not windows(title)[1], 5)
    wait_for('the main window to take the focus back', lambda: xdo('getactivewindow').strip() == main, 5)
    time.sleep(0.5)

def long_song(path):
    """A song whose measure takes seconds: 1 GB of text events, a sparse file that takes no room on disk."""
    text = 0x0FFFFFFF
    event = b'\x00\xff\x01\xff\xff\xff\x7f'  # a text event of `text` bytes
    events = 4
    with open(path, 'wb') as song:
        song.write(b'MThd' + struct.pack('>IHHH', 6, 0, 1, 480))
        song.write(b'MTrk' + struct.pack('>I', 7 + events * (len(event) + text) + 4) + b'\x00\xff\x51\x03\x07\xa1\x20')
        for _ in range(events):
            song.write(event)
            song.seek(text, 1)
        song.write(b'\x60\xff\x2f\x00')

def cut_name(folder, name):
    source = mido.MidiFile(os.path.join(folder, name))
    return name[:-4] + '-CUT.mid' if source.type == 1 else (name[:-4] + '-cut.mid').lower()

def contents(folder):
    return {name: os.stat(os.path.join(folder, name)).st_mtime_ns for name in os.listdir(folder)}

def scenario(gui, base, samples):
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
    jazz, dest, other = (os.path.join(base, name) for name in ('jazz', 'destjazz', 'other'))
    for folder in (jazz, dest, other):
        os.mkdir(folder)
    names = ['S%02d.MID' % row for row in range(LONG + 3)]  # listed in this order
    for row, name in enumerate(names):
        shutil.copy(os.path.join(samples, SONGS[row % len(SONGS)]), os.path.join(jazz, name))
    with open(os.path.join(samples, SONGS[1]), 'rb') as song, open(os.path.join(jazz, names[BROKEN]), 'wb') as out:
        out.write(song.read(100))
    long_song(os.path.join(jazz, names[LONG]))
    shutil.copy(os.path.join(samples, SONGS[0]), os.path.join(other, names[LONG]))  # its name, not the song

    config = os.path.join(base, '.config')  # nothing remembered from another run
    program = start([gui, '--source', jazz, '--dest', dest],
                    env=dict(os.environ, QT_QPA_PLATFORM='xcb', XDG_CONFIG_HOME=config))
    main = wait_for('the main window', lambda: windows()[0], 15)
    xdo('mousemove', '1020', '760')  # no hover, no tooltip
    wait_for('the main window to take the focus', lambda: xdo('getactivewindow').strip() == main, 5)
    time.sleep(1)
    screen = Screen()

    # 1. Esc changes nothing: not the list, not a caption, not a pixel.
    before = screen.grab(main)
    for shortcut, title in (('ctrl+o', SOURCE_DIALOG), ('ctrl+d', DEST_DIALOG)):
        xdo('key', shortcut)
        dialog_answered(title, None, main)
        if screen.grab(main) != before:
            raise Failure('Esc in the dialog "%s" changed the window' % title.strip('^'))

    # 2. Down onto the unreadable song, its message closed with Enter, Down again: the next song is chosen, where
    # the list stood. 3. CUT ONE cuts it whole.
    xdo('mousemove', '--window', main, str(LIST[0] + 60), str(LIST[1] + 6), 'click', '1')
    time.sleep(0.5)
    xdo('mousemove', '1020', '760')
    key(*['Down'] * BROKEN)
    box = wait_for('the message of the unreadable song', lambda: windows()[1], 5)[0]
    wait_for('the message to take the focus', lambda: xdo('getactivewindow').strip() == box, 5)
    time.sleep(0.5)
    # To the focus, as a user's key: a key sent to the box alone leaves the next Ctrl+Enter unseen.
    xdo('key', 'Return')
    wait_for('Enter to close the message', lambda: box not in windows()[1], 5)
    wait_for('the main window to take the focus back', lambda: xdo('getactivewindow').strip() == main, 5)
    time.sleep(0.3)
    key('Down')
    time.sleep(0.5)
    key('ctrl+Return')
    wanted = cut_name(jazz, names[NEXT])
    wait_for('CUT ONE to write ' + wanted, lambda: os.listdir(dest), 10)
    if os.listdir(dest) != [wanted]:
        raise Failure('after the message, Down and CUT ONE wrote %s, not %s' % (os.listdir(dest), wanted))
    song, cut = mido.MidiFile(os.path.join(jazz, names[NEXT])), mido.MidiFile(os.path.join(dest, wanted))
    if abs(cut.length - song.length) > 0.01:
        raise Failure('CUT ONE right after the choice kept %.2f s of %.2f s, not the whole song'
                      % (cut.length, song.length))

    # 4. The long song: CUT ONE while it is measured, refused until the measure ends; then the line is new.
    written = screen.grab(main, STATUS)
    key('Down', 'ctrl+Return')
    refused = screen.grab(main, STATUS)
    if refused == written:
        raise Failure('CUT ONE during the measure left the status line as it was')
    changed = wait_for('the measure to end', lambda: (now := screen.grab(main, STATUS)) != refused and now, 60)
    time.sleep(0.5)
    if screen.grab(main, STATUS) == written or changed == written:
        raise Failure('the older "Written" line came back once the song was measured')
    if os.listdir(dest) != [wanted]:
        raise Failure('CUT ONE during the measure wrote %s' % sorted(set(os.listdir(dest)) - {wanted}))

    # 5. Another source with a song of the same name: no song is current, CUT ONE writes nothing.
    xdo('key', 'ctrl+o')
    dialog_answered(SOURCE_DIALOG, other, main)
    kept, kept_other = contents(dest), contents(other)
    key('ctrl+Return')
    time.sleep(1.5)
    if contents(dest) != kept or contents(other) != kept_other:
        raise Failure('CUT ONE after a new source cut the song of the folder before')
    if windows()[1]:
        raise Failure('a message opened that no step called for')

    # The last run's folders: the source chosen last, the destination never changed by a cancel.
    key('ctrl+q')
    wait_for('the program to end', lambda: program.poll() is not None, 10)
    settings = open(os.path.join(config, 'Quorvane', 'quorvane-gui.conf')).read()
    if 'source=' + other not in settings or 'destination=' + dest not in settings:
        raise Failure('the folders remembered are not the last chosen:\n' + settings)

def too_long(*_):
    raise Failure('the scenario took over 100 s')

def main(argv):
    if missing := [tool for tool in ('Xvfb', 'openbox', 'xdotool', 'xprop', 'xwininfo') if not shutil.which(tool)]:
        print('SKIP: not installed: ' + ' '.join(missing))
        return 77
    signal.signal(signal.SIGALRM, too_long)  # ends the scenario cleanly before CTest's own timeout kills it
    signal.alarm(100)
    base = tempfile.mkdtemp(prefix='quorvane-e2e-')
    try:
        scenario(argv[1], base, argv[2])
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
        shutil.rmtree(base, ignore_errors=True)

if __name__ == '__main__':
    sys.exit(main(sys.argv))
