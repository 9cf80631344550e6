"""What the end-to-end scenarios share: a display of their own (Xvfb) with a window manager (openbox), xdotool to
drive the program's windows, and a main() that skips (77) where a tool is missing, fails cleanly before CTest's own
timeout, and leaves no process or file behind."""
import ctypes, os, select, shutil, signal, subprocess, sys, tempfile, time

TITLE, SIZE = '^Quorvane$', ('566', '400')  # the title of the main window and of its messages; its size
LIST = (192, 94)                            # layout.hpp: kListMIDI's top left
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
    """The program's visible windows named `title`: the main window (or None) and the others (messages, dialogs)."""
    main, others = None, []
    for wid in xdo('search', '--onlyvisible', '--name', title).split():
        geo = dict(kv.split('=', 1) for kv in xdo('getwindowgeometry', '--shell', wid, retry=False).split())
        if (geo.get('WIDTH'), geo.get('HEIGHT')) == SIZE and title == TITLE:
            main = wid
        elif geo:  # else gone since the search
            others.append(wid)
    return main, others

def active():
    return xdo('getactivewindow').strip()

def click(window, x, y):
    xdo('mousemove', '--window', window, str(x), str(y), 'click', '1')
    time.sleep(0.5)

def start_display(reuse=False):
    """A display of our own with openbox; with `reuse`, the run's display when it has one (openbox gives way to a
    window manager already there)."""
    if not (reuse and os.environ.get('DISPLAY')):
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

def start_program(gui, args, config):
    """The window program with `args`, its settings under `config` (nothing remembered from another run); waits
    for its main window."""
    program = start([gui, *args], env=dict(os.environ, QT_QPA_PLATFORM='xcb', XDG_CONFIG_HOME=config))
    return program, wait_for('the main window', lambda: windows()[0], 15)

def main(scenario, seconds):
    """Runs scenario(gui, folder, samples) with a fresh folder, from the command line QUORVANE_GUI SAMPLES_DIR."""
    if missing := [tool for tool in ('Xvfb', 'openbox', 'xdotool', 'xprop', 'xwininfo') if not shutil.which(tool)]:
        print('SKIP: not installed: ' + ' '.join(missing))
        return 77
    def too_long(*_):
        raise Failure('the scenario took over %d s' % seconds)
    signal.signal(signal.SIGALRM, too_long)  # ends the scenario cleanly before CTest's own timeout kills it
    signal.alarm(seconds)
    folder = tempfile.mkdtemp(prefix='quorvane-e2e-')
    try:
        scenario(sys.argv[1], folder, sys.argv[2])
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
