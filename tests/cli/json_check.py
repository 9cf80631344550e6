"""--json: every line on stdout is one JSON object per file, and nothing else is there; each object agrees with
mido's reading of the files: the song's format, division and length, and the clip written lasting from its start
to its end. A broken file gives its error's kind, byte offset and text.

Usage: json_check.py QUORVANE SONGS_FOLDER WORK_FOLDER"""
import json, os, shutil, subprocess, sys
import mido


def run(*args, status=0):
    done = subprocess.run(args, capture_output=True, timeout=120)
    if done.returncode != status:
        raise SystemExit('%s: exit %d, not %d: %s' % (' '.join(args), done.returncode, status, done.stderr))
    lines = done.stdout.decode('utf-8').splitlines()
    return [json.loads(line) for line in lines]  # every line whole JSON, or this fails


def close(a, b, what):
    if abs(a - b) > 0.002:
        raise SystemExit('%s: %.6f, mido says %.6f' % (what, a, b))


def check_song(obj):
    song = mido.MidiFile(obj['file'])
    if (obj['format'], obj['division']) != (song.type, song.ticks_per_beat):
        raise SystemExit('%s: format/division %s' % (obj['file'], obj))
    close(obj['length'], song.length, obj['file'] + ' length')
    if 'output' in obj:
        clip = mido.MidiFile(obj['output'])
        close(obj['end']['seconds'] - obj['start']['seconds'], clip.length, obj['output'] + ' clip length')


def main(program, songs, work):
    shutil.rmtree(work, ignore_errors=True)
    folder, dest = os.path.join(work, 'songs'), os.path.join(work, 'out')
    shutil.copytree(songs, folder)
    os.makedirs(dest)
    with open(os.path.join(folder, 'Broken.mid'), 'wb') as broken:
        broken.write(b'MThd\x00\x00\x00\x06\x00\x01\x00\x02\x01\xe0MTrk\x00\x00\x00\x10\x00\x90')
    batch = run(program, 'cut-all', folder, '--seconds', '9.5', '--dest', dest, '--json', status=1)
    names = sorted(f for f in os.listdir(folder) if f.lower().endswith('.mid') and f != 'Quorvane.log')
    if sorted(os.path.basename(o['file']) for o in batch) != names:
        raise SystemExit('cut-all --json: not one object per file: %s' % batch)
    for obj in batch:
        if 'error' in obj:
            error = obj['error']
            if obj['file'].endswith('Broken.mid') and error['kind'] == 'unreadable-midi' and \
                    isinstance(error['offset'], int) and 'CANNOT READ MIDI FILE' in error['text']:
                continue
            raise SystemExit('unexpected error object: %s' % obj)
        check_song(obj)
    playable = [name for name in names if name != 'Broken.mid']
    for name in playable[:4]:
        path = os.path.join(folder, name)
        [info] = run(program, 'info', path, '--json')
        check_song(info)
        [clip] = run(program, 'clip', path, '--from', '3.25', '--length', '5', '--dest', dest, '--json')
        check_song(clip)
        [cut] = run(program, 'cut', path, '--seconds', '4', '--dest', dest, '--json')
        check_song(cut)
    [failure] = run(program, 'clip', os.path.join(folder, playable[0]), '--from', 'marker:None', '--json', status=1)
    if failure['error']['kind'] != 'cannot-cut' or failure['error']['offset'] is not None:
        raise SystemExit('a missing marker: %s' % failure)
    print('PASS: %d objects' % len(batch))


if __name__ == '__main__':
    main(*sys.argv[1:4])
