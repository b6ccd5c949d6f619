#!/usr/bin/env python3
"""Figures of a running recorder, measured from outside (any build, old or new):

  - the GUI thread's longest stall while recording, as the longest round trip
    of the command-line control's "status" request (served on the GUI thread),
    polled every 20 ms; with --slow-ms the disk is made slow (slow_disk_shim.c);
  - the whole process's CPU while recording (percent of one core);
  - the libpulse contexts the process holds (the sound server's clients with
    its process id);
  - how long Record takes to start (the "record" request's round trip), with
    --settings-mb a settings.dat holding a line of that many megabytes.

  recording_figures.py RECORDER [--format MP3] [--seconds 20] [--slow-ms 0] [--settings-mb 0]

Runs its own private sound server (platform/testserver/pulse-server.sh) and
feeds a 440 Hz tone into its pipe source in real time."""
import argparse, math, os, shutil, socket, struct, subprocess, sys, tempfile, threading, time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
FORMATS = ["WAV", "MP3", "VOX", "G721", "G723", "G726", "G729", "OGG", "AC3", "AAC"]


def request(sock_path, name, timeout=30.0):
    """Sends one command; returns the round trip in seconds and the reply."""
    t0 = time.monotonic()
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    s.settimeout(timeout)
    s.connect(sock_path)
    s.sendall(name.encode() + b"\n")
    data = b""
    while True:
        chunk = s.recv(4096)
        if not chunk:
            break
        data += chunk
    s.close()
    return time.monotonic() - t0, data.decode(errors="replace")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def contexts(env, pid):
    out = subprocess.run(["pactl", "list", "clients"], env=env, capture_output=True, text=True).stdout
    return out.count(f'application.process.id = "{pid}"')


def feeder(fifo, stop):
    rate, frame = 44100, 4
    block = 441  # 10 ms
    fd = os.open(fifo, os.O_WRONLY)
    start, written, phase = time.monotonic(), 0, 0
    while not stop.is_set():
        samples = bytearray()
        for i in range(block):
            v = int(8000 * math.sin(2 * math.pi * 440 * (phase + i) / rate))
            samples += struct.pack("<hh", v, v)
        phase += block
        try:
            os.write(fd, samples)
        except BrokenPipeError:
            break
        written += block
        ahead = written / rate - (time.monotonic() - start)
        if ahead > 0:
            time.sleep(ahead)
    os.close(fd)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("recorder")
    ap.add_argument("--format", default="MP3")
    ap.add_argument("--seconds", type=float, default=20)
    ap.add_argument("--slow-ms", type=int, default=0)
    ap.add_argument("--settings-mb", type=float, default=0)
    a = ap.parse_args()

    work = tempfile.mkdtemp(prefix="velmor-figures-")
    pulse = os.path.join(work, "pulse")
    env = dict(os.environ)
    server = subprocess.run([os.path.join(ROOT, "platform/testserver/pulse-server.sh"), "start", pulse],
                            capture_output=True, text=True, check=True).stdout.strip()
    env.update(PULSE_SERVER=server, HOME=work, VELMOR_HOME=os.path.join(work, "app"), QT_QPA_PLATFORM="offscreen",
               XDG_CONFIG_HOME=os.path.join(work, "config"))
    env.pop("DISPLAY", None)
    os.makedirs(env["VELMOR_HOME"])
    with open(os.path.join(env["VELMOR_HOME"], "settings.dat"), "w") as f:
        f.write(f"[set]\noutputformat={FORMATS.index(a.format.upper())}\n")
        if a.settings_mb:
            f.write("x" * int(a.settings_mb * 1024 * 1024) + "\n")
    if a.slow_ms:
        shim = os.path.join(work, "slow_disk_shim.so")
        subprocess.run(["cc", "-shared", "-fPIC", "-O2", "-o", shim, os.path.join(HERE, "slow_disk_shim.c"), "-ldl"],
                       check=True)
        env.update(LD_PRELOAD=shim, VELMOR_SLOW_PREFIX=os.path.join(work, "Music"), VELMOR_SLOW_MS=str(a.slow_ms))
    sock = os.path.join(env["VELMOR_HOME"], "recorder.socket")
    proc = subprocess.Popen([a.recorder], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    stop = threading.Event()
    feed = threading.Thread(target=feeder, args=(os.path.join(pulse, "pipe.fifo"), stop), daemon=True)
    try:
        for _ in range(500):
            if os.path.exists(sock):
                try:
                    request(sock, "status")
                    break
                except OSError:
                    pass
            time.sleep(0.02)
        feed.start()
        time.sleep(1)
        started, reply = request(sock, "record")
        print(f"reply to record: {reply.strip()} (after {1000 * started:.0f} ms" +
              (f", settings.dat with a {a.settings_mb:g} MB line)" if a.settings_mb else ")"))
        time.sleep(1)
        trips = []
        c0, w0 = cpu_seconds(proc.pid), time.monotonic()
        while time.monotonic() - w0 < a.seconds:
            trips.append(request(sock, "status")[0])
            time.sleep(0.02)
        cpu = 100 * (cpu_seconds(proc.pid) - c0) / (time.monotonic() - w0)
        held = contexts(env, proc.pid)
        t0 = time.monotonic()
        reply = request(sock, "stop")[1].strip()
        stop_s = time.monotonic() - t0
        trips.sort()
        print(f"recording {a.format.upper()} for {a.seconds:.0f} s" + (f", disk slowed by {a.slow_ms} ms a sync" if a.slow_ms else ""))
        print(f"GUI thread, longest stall (status round trip): {1000 * trips[-1]:.1f} ms; median {1000 * trips[len(trips) // 2]:.1f} ms; {len(trips)} probes")
        print(f"CPU while recording: {cpu:.2f} % of one core")
        print(f"libpulse contexts held by the recorder: {held}")
        print(f"reply to stop: {reply} (after {stop_s:.2f} s)")
    finally:
        stop.set()
        proc.terminate()
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            proc.kill()
        subprocess.run([os.path.join(ROOT, "platform/testserver/pulse-server.sh"), "stop", pulse])
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
