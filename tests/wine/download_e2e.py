"""The form engine's asynchronous read under Wine: the probe form reads from a
server on 127.0.0.1 (or from a file) while its 50 ms form timer ticks, and
logs every report."""

import os
import socket
import time
import zlib

import harness
import http_fixture
from harness import check

FAILED, CONNECTED, RECEIVING, FINISHED = 0, 1, 2, 3
OPEN, HTTP_STATUS, TOO_LARGE, SHORT = 1, 2, 3, 4


class ProbeLog:
    """The probe's lines as (kind, fields, milliseconds since its start)."""

    def __init__(self, lines):
        self.lines = []
        for line in lines:
            words = line.split()
            self.lines.append((words[0], words[1:-1], int(words[-1])))

    def of(self, kind):
        return [(fields, t) for k, fields, t in self.lines if k == kind]

    def progress(self):
        return [tuple(int(v) for v in fields) for fields, _ in self.of("progress")]

    def time_of(self, kind):
        return next(t for fields, t in self.of(kind))


def probe(s, path, *options, timeout=30):
    run = harness.Probe(s, "download_probe.exe", [path, *options])
    code = run.finish(timeout)
    check(code == 0, f"probe exit code {code}")
    return ProbeLog(run.lines())


def check_intact(log, data, what):
    complete = log.of("complete")
    check(len(complete) == 1 and complete[0][0] == [str(len(data)), f"{zlib.crc32(data):08x}"],
          f"{what}: completion {complete}, want {len(data)} bytes crc {zlib.crc32(data):08x}")
    statuses = [p[0] for p in log.progress()]
    check(statuses[0] == CONNECTED and statuses[-1] == FINISHED and FAILED not in statuses,
          f"{what}: statuses {statuses}")
    counts = [p[1] for p in log.progress() if p[0] == RECEIVING]
    check(counts == sorted(counts) and all(c <= len(data) for c in counts), f"{what}: counts {counts}")
    check(log.progress()[0][2] == len(data), f"{what}: announced {log.progress()[0][2]}")


def failures_give_status_zero():
    with harness.WineSession("download-failures") as s, http_fixture.HttpFixture() as http:
        routes = http_fixture.standard_routes(http)
        huge = http.route("/huge.gif", b"GIF89a", length=65 * 1024 * 1024)
        with socket.socket() as closed:
            closed.bind(("127.0.0.1", 0))
            refused = f"http://127.0.0.1:{closed.getsockname()[1]}/x.gif"
        cases = [
            (http.url(routes["missing"][0]), HTTP_STATUS, 404),
            (http.url(routes["cut"][0]), SHORT, None),
            (refused, OPEN, None),
            (huge, TOO_LARGE, None),
            ("C:\\windows\\absent.gif", OPEN, 2),
        ]
        for path, fault, code in cases:
            log = probe(s, path)
            progress = log.progress()
            check(progress and progress[-1][0] == FAILED and progress[-1][3] == fault,
                  f"{path}: reports {progress}, want a last one of status 0 with fault {fault}")
            check(code is None or progress[-1][4] == code, f"{path}: code {progress[-1][4]}, want {code}")
            check(not log.of("complete"), f"{path}: a completion came")
            print(path, "->", progress[-1])
        log = probe(s, "ftp://127.0.0.1/x.gif")
        check(log.of("start") == [(["refused"], log.time_of("start"))] and not log.progress(),
              "an ftp: address was not refused at the start")


def timer_ticks_during_slow_download():
    with harness.WineSession("download-slow") as s, http_fixture.HttpFixture() as http:
        path, data = http_fixture.standard_routes(http)["slow"]
        log = probe(s, http.url(path))
        check_intact(log, data, "slow")
        start, end = log.time_of("start"), log.time_of("complete")
        ticks = [t for _, t in log.of("tick") if start <= t <= end]
        gaps = [b - a for a, b in zip([start] + ticks, ticks + [end])]
        receiving = sum(1 for p in log.progress() if p[0] == RECEIVING)
        print(f"download {end - start} ms, {len(ticks)} ticks, longest gap {max(gaps)} ms, "
              f"{receiving} Receiving reports")
        check(end - start >= 1500, f"the slow route took only {end - start} ms")
        check(max(gaps) <= 250, f"the form timer stalled for {max(gaps)} ms during the download")
        check(receiving >= 15, f"only {receiving} Receiving reports during a {end - start} ms download")


def cancel_stops_delivery():
    with harness.WineSession("download-cancel") as s, http_fixture.HttpFixture() as http:
        body = os.urandom(400 * 1024)  # 10 s at 2 kB per 50 ms
        url = http.route("/long.gif", body, pace=(2048, 0.05))
        log = probe(s, url, "cancel=800", "linger=2000")
        cancelled = log.time_of("cancel")
        late = [(k, t) for k, _, t in log.lines if k in ("progress", "complete") and t > cancelled]
        check(log.progress() and not late, f"reports after the cancel: {late}")
        served = http.served("/long.gif")[0]
        print(f"server sent {served.sent} bytes in {served.ended - served.started:.2f} s")
        check(served.aborted and served.ended - served.started < 4, "the transfer went on after the cancel")
        check(log.of("end")[0][0] == ["threads=0", "jobs=0"], f"left behind: {log.of('end')}")
        # Cancelled while the fast server's last reports are already queued.
        path, data = http_fixture.standard_routes(http)["good"]
        log = probe(s, http.url(path), "cancelat=1")
        late = [(k, t) for k, _, t in log.lines if k in ("progress", "complete") and t > log.time_of("cancel")]
        check(http.served(path)[0].sent == len(data) and not late, f"queued reports were delivered: {late}")


def quit_during_download():
    with harness.WineSession("download-quit") as s, http_fixture.HttpFixture() as http:
        url = http.route("/long.gif", os.urandom(400 * 1024), pace=(2048, 0.05))
        began = time.monotonic()
        log = probe(s, url, "quit=600", timeout=20)
        took = time.monotonic() - began
        print(f"probe ran {took:.2f} s; {log.of('end')}")
        check(log.of("end")[0][0][0] == "threads=1", "the read had ended before the quit")
        check(took < 6, f"the process took {took:.2f} s to end with a read running")
        check(harness.wait_until(lambda: http.served("/long.gif")[0].ended, 5), "the connection stayed open")


def cache_copy_when_the_network_fails():
    with harness.WineSession("download-cache") as s:
        data = {name: os.urandom(30000) for name in ("plain", "cached")}
        with http_fixture.HttpFixture() as http:
            urls = {name: http.route(f"/{name}.gif", body) for name, body in data.items()}
            check_intact(probe(s, urls["plain"]), data["plain"], "plain")
            check_intact(probe(s, urls["cached"], "options=0x80000"), data["cached"], "cached")
            check(http.served("/plain.gif")[0].headers.get("Pragma") == "no-cache", "a plain read may use the cache")
        # The server is gone: only the read with the option that left a copy gets one.
        check_intact(probe(s, urls["cached"], "options=0x80000"), data["cached"], "cached, offline")
        for url, options in ((urls["cached"], ()), (urls["plain"], ("options=0x80000",))):
            progress = probe(s, url, *options).progress()
            check(progress[-1][:2] == (FAILED, 0) and progress[-1][3] == OPEN, f"{url} {options}: {progress}")


def proxy_from_internet_settings():
    with harness.WineSession("download-proxy") as s, http_fixture.HttpFixture() as http:
        path, data = http_fixture.standard_routes(http)["good"]
        key = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings"
        settings = (("ProxyEnable", "REG_DWORD", "1"), ("ProxyServer", "REG_SZ", f"127.0.0.1:{http.port}"))
        for name, kind, value in settings:
            code, _ = s.run("reg.exe", ["add", key, "/v", name, "/t", kind, "/d", value, "/f"], cwd=s.run_dir)
            check(code == 0, f"reg add {name}: exit code {code}")
        # A name no resolver knows: only the proxy can serve it, and no bypass
        # rule for local addresses applies.
        check_intact(probe(s, "http://banner.velmora.test" + path), data, "through the proxy")
        served = [(r.path, r.proxied_for) for r in http.served()]
        print("served:", served)
        check(served == [(path, "banner.velmora.test")], f"the proxy saw {served}")


def cap_counts_live_reads():
    with harness.WineSession("download-cap") as s, socket.socket() as silent:
        silent.bind(("127.0.0.1", 0))
        silent.listen(64)  # connections are taken, and never answered
        log = probe(s, f"http://127.0.0.1:{silent.getsockname()[1]}/x.gif", "retries=12", "quit=2000")
        print(log.of("retries"), log.of("others"), log.of("end"))
        # Eleven abandoned workers wait out their timeouts; only live reads count against the cap of 8.
        check(log.of("retries")[0][0] == ["ok=12"] and log.of("others")[0][0] == ["ok=7"],
              f"starts: {log.of('retries')} {log.of('others')}")
        check(log.of("end")[0][0] == ["threads=19", "jobs=19"], f"at the end: {log.of('end')}")


CASES = {f.__name__: f for f in (failures_give_status_zero, timer_ticks_during_slow_download,
                                 cancel_stops_delivery, quit_during_download,
                                 cache_copy_when_the_network_fails, proxy_from_internet_settings,
                                 cap_counts_live_reads)}

if __name__ == "__main__":
    raise SystemExit(harness.main(CASES))
