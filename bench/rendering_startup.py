#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up and memory of Ringscout drawn without OpenGL against with it, interleaved (A, B, B, A
# ...): the time from starting the program to its startup page's request, then 3 s later the
# PSS of the whole process tree and the main process's RSS. Waits on the request, never polls.
#   xvfb-run -a -s "-screen 0 1280x1024x24" python3 bench/rendering_startup.py [rounds]
import http.server, os, shutil, signal, subprocess, sys, tempfile, threading, time
root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
scratch = tempfile.mkdtemp(prefix='ringscout-rendering-')
rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 4
def tree(pid):
    out = [pid]
    try:
        for t in os.listdir(f'/proc/{pid}/task'):
            for c in open(f'/proc/{pid}/task/{t}/children').read().split():
                out += tree(int(c))
    except OSError:
        pass
    return out
def field(path, name):
    for line in open(path):
        if line.startswith(name + ':'):
            return int(line.split()[1])
    return 0
def run(mode, port):
    seen = threading.Event()
    class H(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            seen.set()
            self.send_response(200); self.send_header('Content-Type', 'text/html'); self.end_headers()
            self.wfile.write(b'<h1>start</h1>')
        def log_message(self, *a): pass
    srv = http.server.ThreadingHTTPServer(('127.0.0.1', port), H)
    threading.Thread(target=srv.serve_forever, daemon=True).start()
    cfg = f'{scratch}/config-{mode}'
    os.makedirs(cfg, exist_ok=True)
    ini = f'{cfg}/Belvane.ini'
    open(ini, 'w').write(f'[settings]\nstartupURL=http://127.0.0.1:{port}/start\nURL=http://127.0.0.1:{port}/s?p=*\nyacPort=0\ncomPort=0\n')
    os.chmod(ini, 0o600)
    env = dict(os.environ, XDG_CONFIG_HOME=cfg, RINGSCOUT_RENDERING=mode, QTWEBENGINE_DISABLE_SANDBOX='1',
               XDG_RUNTIME_DIR=f'{scratch}/run-{mode}')
    os.makedirs(env['XDG_RUNTIME_DIR'], mode=0o700, exist_ok=True)
    t0 = time.monotonic()
    p = subprocess.Popen([f'{root}/build/src/ringscout'], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    ok = seen.wait(30)
    ms = (time.monotonic() - t0) * 1000
    time.sleep(3)  # the page rendered
    pids = tree(p.pid)
    pss = sum(field(f'/proc/{q}/smaps_rollup', 'Pss') for q in pids if os.path.exists(f'/proc/{q}'))
    rss = field(f'/proc/{p.pid}/status', 'VmRSS')
    p.send_signal(signal.SIGTERM); p.wait(10)
    srv.shutdown(); srv.server_close()
    return ok, ms, pss / 1024, rss / 1024, len(pids)
res = {'software': [], 'opengl': []}
for r in range(rounds):
    order = ['software', 'opengl'] if r % 2 == 0 else ['opengl', 'software']
    for i, m in enumerate(order):
        ok, ms, pss, rss, n = run(m, 18800 + r * 2 + i)
        res[m].append((ms, pss, rss))
        print(f'round {r+1} {m:8s} first request {ms:6.0f} ms  tree PSS {pss:6.1f} MiB  main RSS {rss:6.1f} MiB  processes {n}  {"" if ok else "NO REQUEST"}', flush=True)
for m, v in res.items():
    v = sorted(v)
    print(m, 'start-up ms', [round(x[0]) for x in sorted(v)], 'PSS MiB', sorted(round(x[1]) for x in v), 'RSS MiB', sorted(round(x[2]) for x in v))
shutil.rmtree(scratch)
