#!/usr/bin/env python3
"""Idle cost of spindlet.exe beside the minimal tray program, under Wine.

For each case the program starts, settles for a few seconds, and then its
threads' context switches (wake-ups) and CPU time are read from /proc over
SECONDS. The first thread is the program's own (it makes no others); any
other thread of the process is the virtual drive's worker or Wine's.
Usage: idle.py BUILD_DIR [SECONDS] [64|32]   (scripts/bench runs it)
32: the 32-bit product under 32-bit Wine, beside the i686 minimal program.
"""
import os
import subprocess
import sys
import time

build = os.path.abspath(sys.argv[1])
seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 60
width = sys.argv[3] if len(sys.argv) > 3 else '64'
wine = '/usr/lib/wine/wine' if width == '32' else '/usr/lib/wine/wine64'
tests = os.path.join(build, 'i686-tests' if width == '32' else 'x86_64', 'tests')
spindlet = os.path.join(build, 'i686', 'spindlet.exe') if width == '32' else '../spindlet.exe'
folder = os.path.join(build, 'bench')
os.makedirs(folder, exist_ok=True)
control = os.path.join(folder, 'idle.control')
env = dict(os.environ, WINEDEBUG='-all', WINEPREFIX=os.path.join(build, 'wineprefix32' if width == '32' else 'wineprefix'),
           VCD_CONTROL='Z:' + control.replace('/', '\\'))
env.pop('VCD_LOG', None)
TICKS = os.sysconf('SC_CLK_TCK')


def wine_run(*args):
    subprocess.run([wine] + list(args), env=env, cwd=tests, check=False,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def set_autoplay(on):
    wine_run('reg', 'add', r'HKCU\Software\Quillfen Software\Spindlet', '/v', 'Autoplay',
             '/t', 'REG_DWORD', '/d', '1' if on else '0', '/f')


def threads(pid):
    """tid -> (context switches, CPU ticks)"""
    result = {}
    for tid in os.listdir(f'/proc/{pid}/task'):
        try:
            with open(f'/proc/{pid}/task/{tid}/status') as f:
                switches = sum(int(line.split()[1]) for line in f if 'ctxt_switches' in line)
            with open(f'/proc/{pid}/task/{tid}/stat') as f:
                fields = f.read().rsplit(')', 1)[1].split()
            result[int(tid)] = (switches, int(fields[11]) + int(fields[12]))
        except OSError:
            pass
    return result


def find_pid(name):
    for _ in range(100):
        for pid in os.listdir('/proc'):
            if pid.isdigit():
                try:
                    with open(f'/proc/{pid}/cmdline', 'rb') as f:
                        if name.encode() in f.read():
                            return int(pid)
                except OSError:
                    pass
        time.sleep(0.1)
    raise SystemExit(f'{name} did not start')


def measure(label, exe, window_class, command=None):
    process = subprocess.Popen([wine, exe], env=env, cwd=tests, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    pid = find_pid(os.path.basename(exe))
    time.sleep(3)
    if command:
        wine_run('post_command.exe', window_class, str(command))
        time.sleep(2)
    before = threads(pid)
    time.sleep(seconds)
    after = threads(pid)
    wine_run('post_command.exe', window_class, '40008')
    process.wait(timeout=30)
    own = [pid]
    others = [tid for tid in after if tid != pid]
    def total(tids, index):
        return sum(after[t][index] - before.get(t, (0, 0))[index] for t in tids if t in after)
    print(f'  {label:40} own thread: {total(own, 0):5} wake-ups, {total(own, 1) * 1000 // TICKS:5} ms CPU;'
          f'  {len(others)} other thread(s): {total(others, 0):5} wake-ups, {total(others, 1) * 1000 // TICKS:5} ms CPU')


with open(control, 'w') as f:
    f.write('present=1\ntracks=0:02:00 10:00:00 20:00:00\nleadout=30:00:00\nspeed=1\n')
print(f'idle over {seconds:g} s (context switches and CPU time from /proc):')
measure('minimal tray program', 'minimal_tray.exe', 'MinimalTrayClass')
set_autoplay(False)
measure('spindlet.exe stopped (cued)', spindlet, 'SpindletClass')
set_autoplay(True)
measure('spindlet.exe paused', spindlet, 'SpindletClass', command=40003)
measure('spindlet.exe playing a 10-minute track', spindlet, 'SpindletClass')
with open(control, 'w') as f:
    f.write('present=0\n')
measure('spindlet.exe with no disc', spindlet, 'SpindletClass')
# A one-second track on a drive that never reports and says "playing" for
# ever: a few checks of the mode, then none after 32 s.
with open(control, 'w') as f:
    f.write('present=1\ntracks=0:02:00 0:03:00\nleadout=0:04:00\nspeed=1\nnonotify=1\nmode=526\n')
measure('spindlet.exe, a drive stuck at "playing"', spindlet, 'SpindletClass')


def between_tracks(model, key, tracks=8, seconds_each=3, spinup_ms=0):
    """A playlist in real time on one driver model: from each play's end to
    the next play in the drive's log (and to its first note, after the
    drive's spin-up), the status queries per track, and the program's
    wake-ups. Reports come 300 ms late, as the drive's default."""
    starts = ' '.join(f'0:{2 + seconds_each * i:02d}:00' for i in range(tracks))
    with open(control, 'w') as f:
        f.write(f'present=1\ntracks={starts}\nleadout=0:{2 + seconds_each * tracks:02d}:00\nspeed=1\n'
                f'spinup={spinup_ms}\n{key}\n')
    log = os.path.join(folder, 'gaps.log')
    if os.path.exists(log):
        os.remove(log)
    set_autoplay(True)
    run_env = dict(env, VCD_LOG='Z:' + log.replace('/', '\\'), VCD_LOG_TIMES='1')
    process = subprocess.Popen([wine, spindlet], env=run_env, cwd=tests, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    pid = find_pid(os.path.basename(spindlet))
    before = threads(pid)

    def lines():
        try:
            with open(log) as f:
                return f.read().splitlines()
        except OSError:
            return []
    deadline = time.time() + tracks * seconds_each + 30
    while time.time() < deadline and sum(line.startswith('ended') for line in lines()) < tracks:
        time.sleep(0.2)
    time.sleep(0.5)
    after = threads(pid)
    wine_run('post_command.exe', 'SpindletClass', '40008')
    process.wait(timeout=30)
    gaps, ended = [], None
    for line in lines():
        at = int(line.rsplit(' at=', 1)[1]) if ' at=' in line else None
        if line.startswith('ended'):
            ended = at
        elif line.startswith('play ') and ended is not None:
            gaps.append(at - ended)
            ended = None
    switches = after.get(pid, (0, 0))[0] - before.get(pid, (0, 0))[0]
    # The mode (MCI_STATUS_MODE, item 4) is asked by the end-of-play timer;
    # the track's type (item 16385) once before each play.
    modes = sum(line.startswith('status ') and ' item=4 ' in line for line in lines())
    types = sum(line.startswith('status ') and ' item=16385 ' in line for line in lines())
    print(f'between tracks, {model} ({tracks} tracks of {seconds_each} s, real time):')
    if len(gaps) > 1:
        rest = sorted(gaps[1:])
        print(f'  first end: {gaps[0]} ms; later ends: min {rest[0]} ms, median {rest[len(rest) // 2]} ms,'
              f' max {rest[-1]} ms')
        if spinup_ms:
            print(f'  to the next note, the {spinup_ms} ms spin-up included: median'
                  f' {rest[len(rest) // 2] + spinup_ms} ms, max {rest[-1] + spinup_ms} ms')
    else:
        print(f'  gaps: {gaps}')
    print(f'  per track: {modes / tracks:.1f} mode queries, {types / tracks:.1f} track-type queries;'
          f' context switches of its thread, server calls of each play included: {switches / tracks:.0f}')


between_tracks("the platform's driver (no report, the request hangs)", '')
between_tracks("the platform's driver on a drive that spins up", '', spinup_ms=1000)
between_tracks('a driver that reports every end', 'reportend=1')
between_tracks('a driver that drops the request at the end', 'nonotify=1')
