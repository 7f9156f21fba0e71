#!/usr/bin/env python3
"""Local resource server benchmark: the client's server against nginx, serving one directory.

    python3 bench/server_bench.py [--build DIR] [--work DIR] [--seconds N] [--rounds N]
                                  [--files N]

Generates a cache of small files (0.5 to 24 KB, in 40 folders, typed like the game's) plus one
50 MB file, serves it with tools/resource_server and with Debian's nginx (one worker, access log
off, sendfile on, tcp_nodelay on, keep-alive without a request limit, no open-file cache, as the
client's server has none), both pinned to core 0, and loads each with wrk pinned to core 1:

  keep-alive, 6 and 8 connections      requests/s and 99th-percentile latency, cycling through
  "Connection: close", 6 and 8         every small file (a wrk Lua script)
  one 50 MB file, 1 connection         bytes/s

Each round runs every scenario four times, ours-nginx-nginx-ours (the next round starts with
nginx). Prints the medians and each as a ratio to nginx, where above 1.0 means the client's
server did better (for latency: nginx's p99 over ours), and in brackets the same ratio of the
best runs: on a shared machine other work only ever slows a run down. Nothing here runs in CI; a
run takes about (--seconds + 1) x 20 x --rounds seconds plus half a minute.
"""
import argparse
import os
import random
import re
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SERVER_CORE = "0"
CLIENT_CORE = "1"
BIG_NAME = "media/big.mp3"
BIG_SIZE = 50 << 20


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_listening(port, timeout=10.0):
    deadline = time.time() + timeout
    while time.time() < deadline:
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=0.5):
                return
        except OSError:
            time.sleep(0.05)
    raise RuntimeError("nothing listens on port %d" % port)


def generate(update, count):
    """Writes the small files and the big one below `update`; returns the small files' URL paths."""
    rng = random.Random(2026)
    shutil.rmtree(update, ignore_errors=True)
    paths = []
    for i in range(count):
        ext = ("swf", "png", "xml", "jpg", "mp3", "json")[i % 6]
        rel = "assets/d%02d/f%05d.%s" % (i % 40, i, ext)
        os.makedirs(os.path.join(update, os.path.dirname(rel)), exist_ok=True)
        with open(os.path.join(update, rel), "wb") as f:
            f.write(rng.randbytes(rng.randint(512, 24 * 1024)))
        paths.append("/" + rel)
    big = os.path.join(update, BIG_NAME)
    os.makedirs(os.path.dirname(big), exist_ok=True)
    with open(big, "wb") as f:
        for _ in range(BIG_SIZE // (1 << 20)):
            f.write(os.urandom(1 << 20))
    return paths


def write_lua(work, paths, close):
    script = os.path.join(work, "cycle_close.lua" if close else "cycle.lua")
    headers = '{["Connection"] = "close"}' if close else "nil"
    with open(script, "w") as f:
        f.write("local paths = {\n")
        for p in paths:
            f.write('  "%s",\n' % p)
        f.write("}\n")
        f.write("local i = math.random(#paths)\n")
        f.write("request = function()\n")
        f.write("  i = i %% #paths + 1\n  return wrk.format(\"GET\", paths[i], %s)\nend\n" % headers)
    return script


def start_ours(build, program):
    binary = os.path.join(build, "bin", "resource_server")
    proc = subprocess.Popen(["taskset", "-c", SERVER_CORE, binary, program], stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, text=True)
    line = proc.stdout.readline().strip()
    if not line.isdigit():
        proc.kill()
        raise RuntimeError("resource_server printed %r" % line)
    port = int(line)
    wait_listening(port)
    return proc, port


def stop_ours(proc):
    proc.stdin.close()
    proc.wait(timeout=10)


def start_nginx(work, root):
    port = free_port()
    conf_dir = os.path.join(work, "nginx")
    os.makedirs(conf_dir, exist_ok=True)
    conf = os.path.join(conf_dir, "nginx.conf")
    temp = lambda name: os.path.join(conf_dir, name)
    user = "user root;\n" if os.geteuid() == 0 else ""
    with open(conf, "w") as f:
        f.write(f"""{user}worker_processes 1;
daemon off;
pid {temp('nginx.pid')};
error_log {temp('error.log')} warn;
events {{ worker_connections 1024; }}
http {{
    include /etc/nginx/mime.types;
    default_type application/octet-stream;
    access_log off;
    sendfile on;
    tcp_nodelay on;
    keepalive_timeout 65;
    keepalive_requests 1000000;
    client_body_temp_path {temp('body')};
    proxy_temp_path {temp('proxy')};
    fastcgi_temp_path {temp('fastcgi')};
    uwsgi_temp_path {temp('uwsgi')};
    scgi_temp_path {temp('scgi')};
    server {{
        listen 127.0.0.1:{port};
        root {root};
        autoindex off;
    }}
}}
""")
    proc = subprocess.Popen(["taskset", "-c", SERVER_CORE, "nginx", "-c", conf, "-p", conf_dir],
                            stderr=subprocess.DEVNULL)
    wait_listening(port)
    return proc, port


def stop_nginx(proc):
    proc.terminate()
    try:
        proc.wait(timeout=10)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


UNITS = {"us": 1e-6, "ms": 1e-3, "s": 1.0, "m": 60.0}
SIZES = {"B": 1, "KB": 1 << 10, "MB": 1 << 20, "GB": 1 << 30}


def run_wrk(port, connections, seconds, script=None, path="/"):
    cmd = ["taskset", "-c", CLIENT_CORE, "wrk", "-t1", "-c%d" % connections, "-d%ds" % seconds,
           "--latency", "--timeout", "10s"]
    if script:
        cmd += ["-s", script]
    cmd.append("http://127.0.0.1:%d%s" % (port, path))
    out = subprocess.run(cmd, capture_output=True, text=True, timeout=seconds + 30).stdout
    rps = float(re.search(r"Requests/sec:\s+([\d.]+)", out).group(1))
    m = re.search(r"^\s+99%\s+([\d.]+)(us|ms|s|m)\s*$", out, re.M)
    p99 = float(m.group(1)) * UNITS[m.group(2)] if m else float("nan")
    t = re.search(r"Transfer/sec:\s+([\d.]+)(B|KB|MB|GB)", out)
    throughput = float(t.group(1)) * SIZES[t.group(2)] if t else float("nan")
    errors = re.search(r"Non-2xx or 3xx responses: (\d+)", out)
    if errors:
        raise RuntimeError("wrk saw %s failed responses on port %d:\n%s" % (errors.group(1), port, out))
    return {"rps": rps, "p99": p99, "bytes": throughput}


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", default=os.path.join(ROOT, "build"))
    ap.add_argument("--work", default=None, help="working directory (default: a new temporary one)")
    ap.add_argument("--seconds", type=int, default=3, help="length of one wrk run")
    ap.add_argument("--rounds", type=int, default=3, help="rounds of ABBA runs per scenario")
    ap.add_argument("--files", type=int, default=2000, help="number of small files")
    ap.add_argument("--only", default=None, help="run only the scenarios whose name holds this text")
    ap.add_argument("--verbose", action="store_true", help="print every wrk run's figures")
    args = ap.parse_args()

    for tool in ("wrk", "nginx", "taskset"):
        if not shutil.which(tool):
            sys.exit("server_bench: %s is not installed" % tool)
    if not os.path.exists(os.path.join(args.build, "bin", "resource_server")):
        sys.exit("server_bench: build the resource_server target first")

    work = args.work or tempfile.mkdtemp(prefix="tlv-server-bench-")
    program = os.path.join(work, "program")
    update = os.path.join(program, "update")
    os.makedirs(program, exist_ok=True)
    paths = generate(update, args.files)
    keepalive_script = write_lua(work, paths, close=False)
    close_script = write_lua(work, paths, close=True)

    scenarios = [
        ("keep-alive, 6 conns", dict(connections=6, script=keepalive_script)),
        ("keep-alive, 8 conns", dict(connections=8, script=keepalive_script)),
        ("close, 6 conns", dict(connections=6, script=close_script)),
        ("close, 8 conns", dict(connections=8, script=close_script)),
        ("50 MB file, 1 conn", dict(connections=1, path="/" + BIG_NAME)),
    ]
    if args.only:
        scenarios = [s for s in scenarios if args.only in s[0]]
    results = {name: {"ours": [], "nginx": []} for name, _ in scenarios}

    ours, ours_port = start_ours(args.build, program)
    nginx, nginx_port = start_nginx(work, update)
    try:
        # Warm the page cache and both servers.
        for port in (ours_port, nginx_port):
            run_wrk(port, 6, 1, script=keepalive_script)
            run_wrk(port, 6, 1, script=close_script)
            run_wrk(port, 1, 1, path="/" + BIG_NAME)
        for round_index in range(args.rounds):
            for name, options in scenarios:
                # ABBA: both servers meet the same state of the machine on average (the
                # "Connection: close" runs leave the client's ports in TIME_WAIT, which slows
                # every later connect for a minute, whichever server it goes to).
                first, second = ("ours", ours_port), ("nginx", nginx_port)
                if round_index % 2:
                    first, second = second, first
                for who, port in (first, second, second, first):
                    result = run_wrk(port, seconds=args.seconds, **options)
                    results[name][who].append(result)
                    if args.verbose:
                        print("%-22s %-6s %10.0f r/s %8.2f ms p99 %8.0f MB/s" % (
                            name, who, result["rps"], result["p99"] * 1e3, result["bytes"] / 2**20), file=sys.stderr)
            print("round %d of %d done" % (round_index + 1, args.rounds), file=sys.stderr)
    finally:
        stop_ours(ours)
        stop_nginx(nginx)
        if not args.work:
            shutil.rmtree(work, ignore_errors=True)

    print("\nmedians (best runs in brackets)")
    print("%-22s %14s %14s %13s   %10s %10s %13s" % ("scenario", "ours", "nginx", "ratio", "ours p99", "nginx p99",
                                                       "ratio"))
    for name, _ in scenarios:
        runs = results[name]
        med = lambda who, key: statistics.median(r[key] for r in runs[who])
        best = lambda who, key, pick=max: pick(r[key] for r in runs[who])
        if name.startswith("50 MB"):
            o, n = med("ours", "bytes"), med("nginx", "bytes")
            print("%-22s %9.0f MB/s %9.0f MB/s %5.2f [%5.2f]" % (
                name, o / 2**20, n / 2**20, o / n, best("ours", "bytes") / best("nginx", "bytes")))
        else:
            o, n = med("ours", "rps"), med("nginx", "rps")
            op, np_ = med("ours", "p99"), med("nginx", "p99")
            print("%-22s %10.0f r/s %10.0f r/s %5.2f [%5.2f]   %8.2fms %8.2fms %5.2f [%5.2f]" % (
                name, o, n, o / n, best("ours", "rps") / best("nginx", "rps"), op * 1e3, np_ * 1e3, np_ / op,
                best("nginx", "p99", min) / best("ours", "p99", min)))
    print("\nratios: ours over nginx (latency: nginx p99 over ours); above 1.0 is better")


if __name__ == "__main__":
    main()
