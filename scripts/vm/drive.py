#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The Blomp developers
"""Boots the disk that scripts/vm-check.sh made, plays the game in it through
the QEMU monitor (sendkey, screendump, device_del/device_add, quit) and checks
what a player would see, hear and find in their files. The machine's first
process (scripts/vm/init.sh) takes commands on the serial line."""

import argparse
import os
import re
import socket
import struct
import subprocess
import sys
import threading
import time
import zlib

import numpy as np

T0 = time.monotonic()
STEP_T = [time.monotonic()]


def log(msg):
    now = time.monotonic()
    print(f"-- [{now - T0:6.1f}s] {msg}", flush=True)


def step(msg):
    now = time.monotonic()
    print(f"== [vm {now - START:.0f}s, last step {now - STEP_T[0]:.0f}s] {msg}", flush=True)
    STEP_T[0] = now


class Failure(Exception):
    pass


def fail(msg):
    raise Failure(msg)


# ---- pictures -------------------------------------------------------------


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    m = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
    if not m:
        fail(f"{path}: not a PPM picture")
    w, h = int(m.group(1)), int(m.group(2))
    pix = np.frombuffer(data, dtype=np.uint8, count=w * h * 3, offset=m.end())
    return pix.reshape(h, w, 3)


def write_png(path, img):
    h, w, _ = img.shape
    raw = b"".join(b"\0" + img[y].tobytes() for y in range(h))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 6)))
        f.write(chunk(b"IEND", b""))


def read_png(path):
    """Our own tools' PNG files: 8 bits a channel, RGB or RGBA, not interlaced."""
    with open(path, "rb") as f:
        data = f.read()
    pos, idat, w = 8, b"", 0
    while pos < len(data):
        n, kind = struct.unpack(">I4s", data[pos : pos + 8])
        body = data[pos + 8 : pos + 8 + n]
        if kind == b"IHDR":
            w, h, depth, ctype = struct.unpack(">IIBB", body[:10])
            if depth != 8 or ctype not in (2, 6):
                fail(f"{path}: a PNG kind this reader does not take")
            ch = 3 if ctype == 2 else 4
        elif kind == b"IDAT":
            idat += body
        pos += 12 + n
    raw = zlib.decompress(idat)
    stride = w * ch
    out = np.zeros((h, stride), dtype=np.int32)
    prev = np.zeros(stride, dtype=np.int32)
    for y in range(h):
        ftype = raw[y * (stride + 1)]
        line = np.frombuffer(raw, dtype=np.uint8, count=stride, offset=y * (stride + 1) + 1).astype(np.int32)
        cur = np.zeros(stride, dtype=np.int32)
        if ftype == 0:
            cur = line
        elif ftype == 2:
            cur = (line + prev) & 255
        else:
            for x in range(stride):
                a = cur[x - ch] if x >= ch else 0
                b = prev[x]
                c = prev[x - ch] if x >= ch else 0
                if ftype == 1:
                    p = a
                elif ftype == 3:
                    p = (a + b) // 2
                else:
                    pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
                    p = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                cur[x] = (line[x] + p) & 255
        out[y] = cur
        prev = cur
    return out.reshape(h, w, ch)[:, :, :3].astype(np.uint8)


def expected_rect(sw, sh):
    """Where the aspect rule puts the 4:3 frame on a sw x sh screen: left, top, width, height
    of the covered area, in fractional pixels."""
    f, d = 240 / 320, sh / sw
    if d < f:
        w = sh * 4 / 3
        return (sw - w) / 2, 0.0, w, float(sh)
    h = sw * 3 / 4
    return 0.0, (sh - h) / 2, float(sw), h


def frame_of(img):
    """The 320 x 240 frame as the screen shows it: the pixel at the centre of each frame pixel."""
    sh, sw, _ = img.shape
    x0, y0, w, h = expected_rect(sw, sh)
    xs = (x0 + (np.arange(320) + 0.5) * w / 320).astype(int)
    ys = (y0 + (np.arange(240) + 0.5) * h / 240).astype(int)
    return img[ys][:, xs]


# ---- the machine ----------------------------------------------------------


class Machine:
    def __init__(self, args, name, mode, extra_append=""):
        self.args, self.name, self.mode = args, name, mode
        self.run = args.run
        self.lines = []
        self.cond = threading.Condition()
        self.mon_path = os.path.join(self.run, "monitor.sock")
        self.ser_path = os.path.join(self.run, "serial.sock")
        self.wav = os.path.join(self.run, f"{name}.wav")
        for p in (self.mon_path, self.ser_path):
            if os.path.exists(p):
                os.unlink(p)
        xres, yres = mode
        kernel_args = "root=/dev/vda rw init=/usr/local/sbin/vm-init quiet console=tty1 "
        if args.arch == "amd64":
            cmd = [args.qemu, "-M", "pc", "-cpu", "max", "-accel", "tcg,thread=multi", "-smp", "2"]
            kernel_args += "console=ttyS0"
        else:
            cmd = [args.qemu, "-M", "virt", "-cpu", "cortex-a72", "-accel", "tcg,thread=multi", "-smp", "2"]
            kernel_args += "console=ttyAMA0"
        cmd += [
            "-m", "1536",
            "-kernel", os.path.join(self.run, "vmlinuz"),
            "-initrd", os.path.join(self.run, "initrd"),
            "-append", kernel_args + extra_append,
            "-drive", f"file={os.path.join(self.run, 'disk.img')},if=none,id=disk,format=raw",
            "-device", "virtio-blk-pci,drive=disk",
            "-vga", "none", "-display", "none",
            "-device", f"virtio-gpu-pci,xres={xres},yres={yres}",
            "-device", "virtio-keyboard-pci,id=kbd",
            "-audiodev", f"wav,id=snd,path={self.wav}",
            "-device", "intel-hda", "-device", "hda-output,audiodev=snd",
            "-monitor", f"unix:{self.mon_path},server=on,wait=off",
            "-chardev", f"socket,id=ser,path={self.ser_path},server=on,wait=off",
            "-serial", "chardev:ser",
            "-nic", "none", "-no-reboot",
        ]
        self.serial_log = open(os.path.join(self.run, f"{name}.serial.log"), "a")
        self.proc = subprocess.Popen(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        self.mon = self._connect(self.mon_path)
        self.ser = self._connect(self.ser_path)
        self.mon_buf = b""
        self._mon_read_prompt()
        threading.Thread(target=self._serial_reader, daemon=True).start()
        self.booted = time.monotonic()

    def _connect(self, path):
        for _ in range(200):
            if self.proc.poll() is not None:
                out = self.proc.stdout.read().decode(errors="replace")
                fail(f"qemu ended at once with status {self.proc.returncode}: {out.strip()}")
            try:
                s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
                s.connect(path)
                return s
            except OSError:
                time.sleep(0.05)
        fail(f"qemu's socket {path} did not come up")

    def _serial_reader(self):
        buf = b""
        while True:
            try:
                data = self.ser.recv(4096)
            except OSError:
                data = b""
            if not data:
                with self.cond:
                    self.lines.append(None)
                    self.cond.notify_all()
                return
            buf += data
            while b"\n" in buf:
                line, buf = buf.split(b"\n", 1)
                text = line.decode(errors="replace").rstrip("\r")
                self.serial_log.write(text + "\n")
                self.serial_log.flush()
                with self.cond:
                    self.lines.append(text)
                    self.cond.notify_all()

    def _mon_read_prompt(self):
        while b"(qemu) " not in self.mon_buf:
            data = self.mon.recv(65536)
            if not data:
                fail("qemu's monitor closed")
            self.mon_buf += data
        out, self.mon_buf = self.mon_buf.split(b"(qemu) ", 1)
        return out.decode(errors="replace")

    def monitor(self, command):
        self.mon.sendall(command.encode() + b"\n")
        out = self._mon_read_prompt()
        # The monitor echoes the command line with terminal control codes first.
        text = re.sub(r"\x1b\[[0-9;]*[A-Za-z]", "", out)
        lines = [l for l in text.replace("\r", "").split("\n") if l.strip() and not l.strip().endswith(command)]
        return "\n".join(lines)

    def wait_line(self, pattern, timeout, since=0):
        """The first serial line from index `since` on matching the pattern; its match and index."""
        rx = re.compile(pattern)
        end = time.monotonic() + timeout
        i = since
        with self.cond:
            while True:
                while i < len(self.lines):
                    line = self.lines[i]
                    if line is None:
                        fail(f"{self.name}: the machine stopped while waiting for /{pattern}/; last lines:\n"
                             + "\n".join(l for l in self.lines[-15:] if l))
                    m = rx.search(line)
                    if m:
                        return m, i
                    i += 1
                left = end - time.monotonic()
                if left <= 0:
                    fail(f"{self.name}: no line /{pattern}/ in {timeout:.0f} s; last lines:\n"
                         + "\n".join(l for l in self.lines[-15:] if l))
                self.cond.wait(left)

    def command(self, line, timeout=60):
        """Runs a command of init.sh; its @@ lines and status."""
        with self.cond:
            since = len(self.lines)
        self.ser.sendall(line.encode() + b"\n")
        m, i = self.wait_line(r"^@@ (-?\d+)$", timeout, since)
        with self.cond:
            out = [l for l in self.lines[since:i] if l and l.startswith("@@ ")]
        return int(m.group(1)), [l[3:] for l in out]

    def wait_ready(self, timeout=300):
        m, _ = self.wait_line(r"^@@ ready (.*)", timeout)
        return m.group(1)

    def shot(self, name):
        path = os.path.join(self.run, name + ".ppm")
        if os.path.exists(path):
            os.unlink(path)
        out = self.monitor(f"screendump {path}")
        if not os.path.exists(path):
            fail(f"screendump {name}: {out}")
        img = read_ppm(path)
        write_png(os.path.join(self.run, name + ".png"), img)
        os.unlink(path)
        return img

    def key(self, k, hold_ms=None):
        self.monitor(f"sendkey {k}" + (f" {hold_ms}" if hold_ms else ""))

    def cut(self):
        """The power goes: qemu ends at once, the guest's unwritten memory with it."""
        try:
            self.mon.sendall(b"quit\n")
        except OSError:
            pass
        self.proc.wait(timeout=30)
        self.serial_log.close()

    def off(self):
        try:
            self.ser.sendall(b"off\n")
            self.proc.wait(timeout=60)
        except (OSError, subprocess.TimeoutExpired):
            self.cut()
        self.serial_log.close()


def main():
    global START
    ap = argparse.ArgumentParser()
    ap.add_argument("--arch", required=True)
    ap.add_argument("--qemu", required=True)
    ap.add_argument("--run", required=True)
    ap.add_argument("--form", default="full")
    ap.add_argument("--deb", required=True)
    ap.add_argument("--start", type=int, default=0)
    ap.add_argument("--only", default="")
    args = ap.parse_args()
    START = time.monotonic() - args.start
    try:
        checks(args)
    except Failure as e:
        print(f"vm-check: {e}", file=sys.stderr)
        sys.exit(1)


def checks(args):
    m = Machine(args, "boot", (960, 540))
    log("ready: " + m.wait_ready())
    print(m.command("files"))
    print(m.command("ls -l /dev/dri /dev/input; id player"))
    m.command("game")
    time.sleep(20)
    m.shot("first")
    print(m.command("term"))
    print(m.command("wait"))
    m.off()


if __name__ == "__main__":
    START = time.monotonic()
    main()
