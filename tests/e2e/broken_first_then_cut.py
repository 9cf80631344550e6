#!/usr/bin/python3
"""broken_first_then_cut.py QUORVANE_GUI SAMPLES_DIR: the window on Xvfb with openbox, driven by xdotool. The
source folder's first song cannot be read: its message must go away for good with one Enter. Then Down must choose
the second song (the list has the keyboard again), and clicks on the cut slider and CUT ONE must leave a cut file
that mido reads and that is shorter than the song. Ctrl+Q ends the program, its source folder remembered."""
import os, shutil, sys, time

import mido

from x_session import LIST, Failure, active, click, main, start_display, start_program, wait_for, windows, xdo

SLIDER = (288 + 124 * 3 // 4, 284 + 21 // 2)  # three quarters along kCutPoint
CUT_ONE = (427 + 55, 282 + 22)              # the middle of kButtons[CutOne]
SONGS = ['format0_tempo_volume.mid', 'format1_band.mid']

def scenario(gui, folder, samples):
    start_display()
    for song in SONGS:
        shutil.copy(os.path.join(samples, song), folder)
    # Listed first (the list is the upper-case names, sorted) and unreadable.
    with open(os.path.join(samples, SONGS[1]), 'rb') as song, open(folder + '/AAA_BROKEN.MID', 'wb') as out:
        out.write(song.read(100))
    second = sorted(os.listdir(folder), key=str.upper)[1]
    # No --select: no song is chosen when the window opens.
    program, main = start_program(gui, ['--source', folder], os.path.join(folder, '.config'))

    # Only the user chooses a song: nothing may open before the click on it.
    if wait_for('a message', lambda: windows()[1], 2, must=False):
        raise Failure('a message opened before any song was clicked')
    click(main, LIST[0] + 60, LIST[1] + 6)
    box = wait_for('a message after a click on the unreadable song', lambda: windows()[1], 5)[0]
    # Enter once the box has had the focus a moment, as a user would: an earlier key can close it before the
    # main window has lost the focus.
    wait_for('the message to take the focus', lambda: active() == box, 5)
    time.sleep(0.5)
    xdo('key', '--window', box, 'Return', retry=False)  # the release may find the box gone
    wait_for('Enter to close the message', lambda: box not in windows()[1], 5)
    # A message that comes back may open and close many times a second: any other window of ours, seen or given
    # the focus, counts.
    deadline = time.monotonic() + 2
    while time.monotonic() < deadline:
        if others := (set(windows()[1]) | {active()}) - {main, box, ''}:
            raise Failure('the message came back after one Enter closed it (window %s)' % others.pop())
        time.sleep(0.1)
    if program.poll() is not None:
        raise Failure('the program ended (status %s) after the message' % program.returncode)

    wait_for('the main window to take the focus back', lambda: active() == main, 5)
    xdo('key', 'Down')
    time.sleep(0.5)
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

    # Ctrl+Q ends the program, which remembers its source folder for the next run.
    xdo('key', 'ctrl+q')
    wait_for('the program to end', lambda: program.poll() is not None, 10)
    with open(os.path.join(folder, '.config', 'Quorvane', 'quorvane-gui.conf')) as stored:
        if 'source=' + folder not in stored.read():
            raise Failure('the source folder was not remembered')

if __name__ == '__main__':
    sys.exit(main(scenario, 50))
