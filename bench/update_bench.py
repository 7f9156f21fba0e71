#!/usr/bin/env python3
"""Update-run benchmark: the engine against curl, both fetching one resource set from nginx.

    python3 bench/update_bench.py [--build DIR] [--work DIR] [--rounds N] [--files N]

Generates a resource set (small files of 1 to 200 KB plus files of 1, 10 and 50 MB, both
manifests), serves it with Debian's nginx on 127.0.0.1 (one worker, access log off, keep-alive
on), then measures in the same run, alternating the contenders round by round:

  (a) a full update run from an empty cache to phase 3 (tools/update_run)
  (b) curl --parallel --parallel-max 10 fetching the same URLs into files
  (c) an update run where nothing changed
  (d) the engine's peak resident memory during (a)
  (e) TCP connections opened during one run of (a) (TcpActiveOpens of /proc/net/snmp)
  (a') the same as (a) with connection reuse turned off (update_run --no-reuse)

Prints the medians and the ratios. Nothing here runs in CI.
"""
import argparse
import hashlib
import os
import random
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def tcp_active_opens():
    with open("/proc/net/snmp") as f:
        lines = [l.split() for l in f if l.startswith("Tcp:")]
    return int(lines[1][lines[0].index("ActiveOpens")])


def generate(work, count):
    """Lays out remote/220_9/ with the files and both manifests; returns the remote paths."""
    rng = random.Random(2026)
    remote = os.path.join(work, "remote", "220_9")
    shutil.rmtree(os.path.join(work, "remote"), ignore_errors=True)
    files, fv_entries, res_entries = [], [], []
    sizes = [rng.randint(1024, 200 * 1024) for _ in range(count)] + [1 << 20, 10 << 20, 50 << 20]
    for i, size in enumerate(sizes):
        body = rng.randbytes(size) if size < (1 << 20) else os.urandom(size)
        folder = "assets/d%02d/" % (i % 40)
        ext = ("swf", "png", "tlvc")[i % 3]
        name = folder + "f%05d.%s" % (i, ext)
        if i % 10 == 9 and size < (1 << 20):
            # a Res entry: fetched under its plain name, stored under its version
            version = str(1 + i % 7)
            res_entries.append('<f name="%s" version="%s"/>' % (name, version))
            remote_path = name
        else:
            md5 = hashlib.md5(body).hexdigest()[:8]
            fv_entries.append('<f name="%s" md5="%s" version="1"/>' % (name, md5))
            remote_path = folder + md5 + "_" + os.path.basename(name)
        path = os.path.join(remote, remote_path)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(body)
        files.append(remote_path)
    os.makedirs(os.path.join(remote, "config/simplified"), exist_ok=True)
    with open(os.path.join(remote, "config/FileVersion.xml"), "w") as f:
        f.write("<files>\n" + "\n".join(fv_entries) + "\n</files>\n")
    with open(os.path.join(remote, "config/simplified/Res.xml"), "w") as f:
        f.write("<files>\n" + "\n".join(res_entries) + "\n</files>\n")
    return files + ["config/FileVersion.xml", "config/simplified/Res.xml"], max(sizes)


def start_nginx(work, port):
    conf = os.path.join(work, "nginx.conf")
    user = "user root;\n" if os.getuid() == 0 else ""
    with open(conf, "w") as f:
        f.write("""%sworker_processes 1;
daemon off;
pid %s/nginx.pid;
error_log %s/nginx-error.log;
events { worker_connections 1024; }
http {
  access_log off;
  sendfile on;
  tcp_nopush on;
  keepalive_timeout 65;
  keepalive_requests 100000;
  client_body_temp_path %s/tmp;
  proxy_temp_path %s/tmp;
  fastcgi_temp_path %s/tmp;
  uwsgi_temp_path %s/tmp;
  scgi_temp_path %s/tmp;
  types { application/octet-stream swf png tlvc; text/xml xml; }
  server {
    listen 127.0.0.1:%d;
    root %s/remote;
  }
}
""" % ((user,) + (work,) * 7 + (port, work)))
    os.makedirs(os.path.join(work, "tmp"), exist_ok=True)
    proc = subprocess.Popen(["nginx", "-c", conf, "-p", work], stderr=subprocess.DEVNULL)
    deadline = time.time() + 10
    while time.time() < deadline:
        try:
            socket.create_connection(("127.0.0.1", port), timeout=0.2).close()
            return proc
        except OSError:
            time.sleep(0.05)
    proc.kill()
    sys.exit("nginx did not start; see %s/nginx-error.log" % work)


def timed(cmd, **kw):
    start = time.perf_counter()
    result = subprocess.run(cmd, stdout=subprocess.DEVNULL, **kw)
    return time.perf_counter() - start, result.returncode


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--work", default="/tmp/tlv-update-bench")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--files", type=int, default=5000)
    args = parser.parse_args()

    update_run = os.path.join(args.build, "tools", "update_run")
    if not os.path.exists(update_run):
        update_run = os.path.join(args.build, "bin", "update_run")
    work = os.path.abspath(args.work)
    os.makedirs(work, exist_ok=True)
    os.chmod(work, 0o755)
    print("generating %d files ..." % (args.files + 3), flush=True)
    paths, largest = generate(work, args.files)
    port = free_port()
    nginx = start_nginx(work, port)
    base = "http://127.0.0.1:%d/220_9/" % port

    program = os.path.join(work, "prog")
    os.makedirs(program, exist_ok=True)
    with open(os.path.join(program, "urls.config"), "w") as f:
        f.write("[URLS]\nresourceurl=%s\n" % base)
    curl_config = os.path.join(work, "curl.txt")
    curl_out = os.path.join(work, "curlout")
    with open(curl_config, "w") as f:
        for i, p in enumerate(paths):
            f.write('url = "%s%s?v=1"\noutput = "%s/%d"\n' % (base, p, curl_out, i))

    def engine(extra=()):
        shutil.rmtree(os.path.join(program, "update"), ignore_errors=True)
        return timed([update_run, program, *extra])

    def curl():
        shutil.rmtree(curl_out, ignore_errors=True)
        os.makedirs(curl_out)
        return timed(["curl", "--parallel", "--parallel-max", "10", "--silent", "--fail",
                      "--noproxy", "*", "--config", curl_config], stderr=subprocess.DEVNULL)

    try:
        engine()  # warm the page cache and nginx
        curl()
        a, b, a_no_reuse, c = [], [], [], []
        for r in range(args.rounds):
            t, rc = engine()
            if rc != 0:
                sys.exit("update_run failed (%d)" % rc)
            a.append(t)
            t, rc = curl()
            if rc != 0:
                sys.exit("curl failed (%d)" % rc)
            b.append(t)
            c.append(timed([update_run, program])[0])
            a_no_reuse.append(engine(["--no-reuse"])[0])
            print("round %d: engine %.2fs curl %.2fs unchanged %.0fms no-reuse %.2fs"
                  % (r + 1, a[-1], b[-1], c[-1] * 1000, a_no_reuse[-1]), flush=True)

        shutil.rmtree(os.path.join(program, "update"), ignore_errors=True)
        opens_before = tcp_active_opens()
        rss = subprocess.run(["/usr/bin/time", "-f", "%M", update_run, program],
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        opens = tcp_active_opens() - opens_before
        peak_kb = int(rss.stderr.strip().splitlines()[-1])
        shutil.rmtree(os.path.join(program, "update"), ignore_errors=True)
        opens_before = tcp_active_opens()
        subprocess.run([update_run, program, "--no-reuse"], stdout=subprocess.DEVNULL)
        opens_no_reuse = tcp_active_opens() - opens_before
    finally:
        nginx.send_signal(signal.SIGQUIT)
        nginx.wait(timeout=10)

    ma, mb, mc, mn = (statistics.median(x) for x in (a, b, c, a_no_reuse))
    print()
    print("files: %d (%.0f MB), largest %.0f MB" % (len(paths), sum(
        os.path.getsize(os.path.join(work, "remote", "220_9", p)) for p in paths) / 1e6, largest / 1e6))
    print("(a) engine, empty cache:       %.2f s (median of %d)" % (ma, args.rounds))
    print("(b) curl --parallel-max 10:    %.2f s" % mb)
    print("    (a)/(b) ratio:             %.2f   (target <= 1.0)" % (ma / mb))
    print("(c) engine, nothing changed:   %.0f ms" % (mc * 1000))
    print("(d) engine peak RSS:           %.0f MB = %.2f x largest file (target <= 2 x largest + 50 MB = %.0f MB)"
          % (peak_kb / 1024, peak_kb * 1024 / largest, (2 * largest) / (1 << 20) + 50))
    print("(e) TCP connections opened:    %d (without reuse: %d)" % (opens, opens_no_reuse))
    print("    engine without reuse:      %.2f s, %.2f of curl" % (mn, mn / mb))


if __name__ == "__main__":
    main()
