// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The pad of the check machine: QEMU has no USB gamepad to emulate, so this
// program makes one in the guest's kernel through uinput, as a USB pad's driver
// would: eight buttons (BTN_SOUTH.. in order, SDL's buttons 0 to 7), a hat and
// the two stick axes SDL 1.2 asks of a joystick, under a name the game's pad
// table does not know (so blomp.cfg's buttons apply: start 7, jump 0, fire 1).
// It reads commands from its standard input, one a line (scripts/vm/init.sh's
// `pad` command writes them), and answers each with one line on its standard
// output: "ok COMMAND", "plugged in as inputN" or "error COMMAND: why".
//
//   plug [NAME]     the pad appears (its event node is made, udev gives it to the input group)
//   unplug          the pad goes away, as if its cable were pulled
//   press N         button N (0 to 7) down
//   release N       button N up
//   hat DIR         the hat pushed: up, down, left, right, or centre
//
// Built statically on the host for the guest's architecture by scripts/vm-check.sh.
#include <fcntl.h>
#include <linux/uinput.h>
#include <stdio.h>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>

enum { BUTTONS = 8 };

static int pad = -1; // the uinput device while plugged in

// Sends one input event and the report's end; 0 on success.
static int emit(int type, int code, int value) {
    struct input_event ev[2];
    memset(ev, 0, sizeof ev);
    ev[0].type = (unsigned short)type;
    ev[0].code = (unsigned short)code;
    ev[0].value = value;
    ev[1].type = EV_SYN;
    ev[1].code = SYN_REPORT;
    return write(pad, ev, sizeof ev) == (ssize_t)sizeof ev ? 0 : -1;
}

// Gives one absolute axis its range.
static int axis(int code, int min, int max, int flat) {
    struct uinput_abs_setup a;
    memset(&a, 0, sizeof a);
    a.code = (unsigned short)code;
    a.absinfo.minimum = min;
    a.absinfo.maximum = max;
    a.absinfo.flat = flat;
    return ioctl(pad, UI_ABS_SETUP, &a);
}

// Makes the pad; 0 on success, else a line on why not.
static const char* plug(const char* name) {
    if (pad >= 0) return "already plugged in";
    pad = open("/dev/uinput", O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (pad < 0) return "no /dev/uinput (is the uinput module loaded?)";
    int bad = ioctl(pad, UI_SET_EVBIT, EV_KEY) < 0 || ioctl(pad, UI_SET_EVBIT, EV_ABS) < 0;
    for (int b = 0; b < BUTTONS; b++) bad |= ioctl(pad, UI_SET_KEYBIT, BTN_SOUTH + b) < 0;
    const int axes[] = {ABS_X, ABS_Y, ABS_HAT0X, ABS_HAT0Y};
    for (int i = 0; i < 4; i++) bad |= ioctl(pad, UI_SET_ABSBIT, axes[i]) < 0;
    bad |= axis(ABS_X, -32768, 32767, 4096) < 0 || axis(ABS_Y, -32768, 32767, 4096) < 0;
    bad |= axis(ABS_HAT0X, -1, 1, 0) < 0 || axis(ABS_HAT0Y, -1, 1, 0) < 0;
    struct uinput_setup s;
    memset(&s, 0, sizeof s);
    s.id.bustype = BUS_USB;
    s.id.vendor = 0x1209; // the open test vendor id
    s.id.product = 0xb10b;
    s.id.version = 1;
    snprintf(s.name, sizeof s.name, "%s", name);
    bad |= ioctl(pad, UI_DEV_SETUP, &s) < 0 || ioctl(pad, UI_DEV_CREATE) < 0;
    if (!bad) return 0;
    close(pad);
    pad = -1;
    return "uinput refused the pad";
}

int main(void) {
    char line[256];
    setvbuf(stdout, NULL, _IOLBF, 0);
    while (fgets(line, sizeof line, stdin)) {
        line[strcspn(line, "\r\n")] = 0;
        char cmd[32] = "", arg[200] = "";
        if (sscanf(line, "%31s %199[^\n]", cmd, arg) < 1) {
            printf("error: an empty line\n");
            continue;
        }
        const char* err = 0;
        int n = -1;
        sscanf(arg, "%d", &n);
        if (strcmp(cmd, "plug") == 0) {
            err = plug(arg[0] ? arg : "Blomp Check Pad");
            if (!err) {
                char sys[64] = "";
                ioctl(pad, UI_GET_SYSNAME(sizeof sys), sys);
                printf("plugged in as %s\n", sys);
                continue;
            }
        } else if (strcmp(cmd, "unplug") == 0) {
            if (pad < 0) err = "not plugged in";
            else {
                ioctl(pad, UI_DEV_DESTROY);
                close(pad);
                pad = -1;
            }
        } else if (strcmp(cmd, "press") != 0 && strcmp(cmd, "release") != 0 && strcmp(cmd, "hat") != 0) {
            err = "unknown command";
        } else if (pad < 0) {
            err = "not plugged in";
        } else if (strcmp(cmd, "press") == 0 || strcmp(cmd, "release") == 0) {
            if (n < 0 || n >= BUTTONS) err = "no such button";
            else if (emit(EV_KEY, BTN_SOUTH + n, cmd[0] == 'p') != 0) err = "the kernel took no event";
        } else if (strcmp(cmd, "hat") == 0) {
            const struct {
                const char* dir;
                int x, y;
            } dirs[] = {{"centre", 0, 0}, {"up", 0, -1}, {"down", 0, 1}, {"left", -1, 0}, {"right", 1, 0}};
            int i = 0;
            while (i < 5 && strcmp(arg, dirs[i].dir) != 0) i++;
            if (i == 5) err = "no such direction";
            else if (emit(EV_ABS, ABS_HAT0X, dirs[i].x) != 0 || emit(EV_ABS, ABS_HAT0Y, dirs[i].y) != 0)
                err = "the kernel took no event";
        }
        if (err) printf("error %s: %s\n", line, err);
        else printf("ok %s\n", line);
    }
    return 0;
}
