#!/usr/bin/python3
"""cancel_relist_measure.py QUORVANE_GUI SAMPLES_DIR: the window on Xvfb with openbox, driven by xdotool and looked at
with XGetImage, through the faults a new user met:
1. Esc in the SOURCE and DEST dialogs leaves every pixel of the window as it was;
2. after the message of an unreadable song (reached with Down), the next Down chooses the song below it;
3. CUT ONE right after a choice cuts the whole song: the thumb starts at the song's end;
4. CUT ONE while a long song is measured is refused, and once it is measured the older "Written" line does not
   come back;
5. a new source folder with a song of the same name leaves no song current: CUT ONE writes nothing;
and the folders remembered at the end are the source chosen last and the destination no cancel changed."""
import ctypes, os, shutil, struct, sys, time

import mido

from x_session import LIST, SIZE, Failure, active, click, main, start_display, start_program, wait_for, windows, xdo

SOURCE_DIALOG, DEST_DIALOG = '^Choose Harmara source path', '^Choose Midi-Files destination path'
STATUS = (262, 378, 292, 15)     # layout.hpp: kLabStatus
BROKEN, NEXT, LONG = 11, 12, 13  # rows: an unreadable song below the list's first page, a good one, a long one
SONGS = ['format0_tempo_volume.mid', 'format1_band.mid', 'format1_div96_plain.mid']

class Pixels:
    """A window's pixels, read with XGetImage."""
    class XImage(ctypes.Structure):
        _fields_ = [(name, ctypes.c_int) for name in ('width', 'height', 'xoffset', 'format')] + [
            ('data', ctypes.c_void_p)] + [(name, ctypes.c_int) for name in (
                'byte_order', 'bitmap_unit', 'bitmap_bit_order', 'bitmap_pad', 'depth', 'bytes_per_line')]

    def __init__(self):
        x11 = self.x11 = ctypes.CDLL('libX11.so.6')
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XGetImage.restype = ctypes.POINTER(Pixels.XImage)
        x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + [ctypes.c_uint] * 2 + [
            ctypes.c_ulong, ctypes.c_int]
        x11.XFree.argtypes = [ctypes.c_void_p]
        # An X error (a window gone) must not end the script: XGetImage then gives nothing.
        self.handler = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda *_: 0)
        x11.XSetErrorHandler.argtypes = [ctypes.c_void_p]
        x11.XSetErrorHandler(ctypes.cast(self.handler, ctypes.c_void_p))
        self.display = x11.XOpenDisplay(None)

    def __call__(self, window, box=(0, 0, int(SIZE[0]), int(SIZE[1]))):
        image = self.x11.XGetImage(self.display, int(window), *box, 0xFFFFFFFF, 2)  # all planes, ZPixmap
        if not image:
            raise Failure('cannot read the window\'s pixels')
        data = ctypes.string_at(image.contents.data, image.contents.bytes_per_line * box[3])
        self.x11.XFree(image.contents.data)
        self.x11.XFree(ctypes.cast(image, ctypes.c_void_p))
        return data

def key(*keys):
    xdo('key', '--delay', '120', *keys)
    time.sleep(0.3)

def answer_dialog(title, main, folder=None):
    """Waits for the folder dialog `title`, then types `folder` and Enter; None: Esc."""
    dialog = wait_for('the dialog ' + title, lambda: windows(title)[1], 10)[0]
    wait_for('the dialog to take the focus', lambda: active() == dialog, 5)
    time.sleep(0.3)
    if folder:
        xdo('type', '--delay', '15', folder)
        time.sleep(0.3)
    xdo('key', 'Return' if folder else 'Escape')
    wait_for('the dialog to close', lambda: not windows(title)[1], 5)
    wait_for('the main window to take the focus back', lambda: active() == main, 5)
    time.sleep(0.5)

def long_song(path):
    """A song whose measure takes seconds: 1 GB of text events, in a sparse file that takes no room on disk."""
    text, events = 0x0FFFFFFF, 4
    event = b'\x00\xff\x01\xff\xff\xff\x7f'  # a text event of `text` bytes
    with open(path, 'wb') as song:
        song.write(b'MThd' + struct.pack('>IHHH', 6, 0, 1, 480))
        song.write(b'MTrk' + struct.pack('>I', 7 + events * (len(event) + text) + 4) + b'\x00\xff\x51\x03\x07\xa1\x20')
        for _ in range(events):
            song.write(event)
            song.seek(text, 1)
        song.write(b'\x60\xff\x2f\x00')

def written(folder):
    return {name: os.stat(os.path.join(folder, name)).st_mtime_ns for name in os.listdir(folder)}

def scenario(gui, base, samples):
    start_display()
    jazz, dest, other = (os.path.join(base, name) for name in ('jazz', 'destjazz', 'other'))
    for folder in (jazz, dest, other):
        os.mkdir(folder)
    names = ['S%02d.MID' % row for row in range(LONG + 3)]  # listed in this order
    for row, name in enumerate(names):
        shutil.copy(os.path.join(samples, SONGS[row % len(SONGS)]), os.path.join(jazz, name))
    with open(os.path.join(samples, SONGS[1]), 'rb') as song, open(os.path.join(jazz, names[BROKEN]), 'wb') as out:
        out.write(song.read(100))
    long_song(os.path.join(jazz, names[LONG]))
    shutil.copy(os.path.join(samples, SONGS[0]), os.path.join(other, names[LONG]))  # its name, another song
    config = os.path.join(base, '.config')
    program, main = start_program(gui, ['--source', jazz, '--dest', dest], config)
    xdo('mousemove', '1020', '760')  # no hover, no tooltip
    wait_for('the main window to take the focus', lambda: active() == main, 5)
    time.sleep(1)
    pixels = Pixels()

    # 1. Esc changes nothing: not the list, not a caption, not a pixel.
    before = pixels(main)
    for shortcut, title in (('ctrl+o', SOURCE_DIALOG), ('ctrl+d', DEST_DIALOG)):
        xdo('key', shortcut)
        answer_dialog(title, main)
        if pixels(main) != before:
            raise Failure('Esc in the dialog "%s" changed the window' % title.strip('^'))

    # 2. Down onto the unreadable song, its message closed with Enter, Down again: the song below is chosen.
    # 3. CUT ONE right away cuts it whole.
    click(main, LIST[0] + 60, LIST[1] + 6)
    xdo('mousemove', '1020', '760')
    key(*['Down'] * BROKEN)
    box = wait_for('the message of the unreadable song', lambda: windows()[1], 5)[0]
    wait_for('the message to take the focus', lambda: active() == box, 5)
    time.sleep(0.5)
    xdo('key', 'Return')  # to the focus, as a user's: one sent to the box alone leaves the next Ctrl unseen
    wait_for('Enter to close the message', lambda: box not in windows()[1], 5)
    wait_for('the main window to take the focus back', lambda: active() == main, 5)
    key('Down')
    time.sleep(0.5)
    key('ctrl+Return')
    song = mido.MidiFile(os.path.join(jazz, names[NEXT]))
    cut_name = names[NEXT][:-4] + '-CUT.mid' if song.type == 1 else (names[NEXT][:-4] + '-cut.mid').lower()
    wait_for('CUT ONE to write ' + cut_name, lambda: os.listdir(dest), 10)
    if os.listdir(dest) != [cut_name]:
        raise Failure('after the message, Down and CUT ONE wrote %s, not %s' % (os.listdir(dest), cut_name))
    cut = mido.MidiFile(os.path.join(dest, cut_name))
    if abs(cut.length - song.length) > 0.01:
        raise Failure('CUT ONE right after the choice kept %.2f s of %.2f s' % (cut.length, song.length))

    # 4. The long song: CUT ONE while it is measured is refused, and the refusal stays until the measure ends;
    # the line that follows is not the older one.
    older = pixels(main, STATUS)
    key('Down', 'ctrl+Return')
    refused = pixels(main, STATUS)
    if refused == older:
        raise Failure('CUT ONE during the measure left the status line as it was')
    after = wait_for('the measure to end', lambda: (now := pixels(main, STATUS)) != refused and now, 60)
    time.sleep(0.5)
    if older in (after, pixels(main, STATUS)):
        raise Failure('the older "Written" line came back once the song was measured')
    if os.listdir(dest) != [cut_name]:
        raise Failure('CUT ONE during the measure wrote %s' % sorted(set(os.listdir(dest)) - {cut_name}))

    # 5. Another source with a song of the same name: no song is current, CUT ONE writes nothing.
    xdo('key', 'ctrl+o')
    answer_dialog(SOURCE_DIALOG, main, other)
    kept, kept_other = written(dest), written(other)
    key('ctrl+Return')
    time.sleep(1.5)
    if written(dest) != kept or written(other) != kept_other:
        raise Failure('CUT ONE after a new source cut the song of the folder before')
    if windows()[1]:
        raise Failure('a message opened that no step called for')

    key('ctrl+q')
    wait_for('the program to end', lambda: program.poll() is not None, 10)
    with open(os.path.join(config, 'Quorvane', 'quorvane-gui.conf')) as stored:
        settings = stored.read()
    if 'source=' + other not in settings or 'destination=' + dest not in settings:
        raise Failure('the folders remembered are not the last chosen:\n' + settings)

if __name__ == '__main__':
    sys.exit(main(scenario, 100))
