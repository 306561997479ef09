// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The monster pool: starting, moving, stomping, killing and drawing monsters.
#include "5world/monsters.h"
#include "5world/world.h"

#include "3audio/sound.h"
#include "1base/text.h"
#include "5world/figure.h"
#include "5world/map.h"

const int REASONS[NUM_MONST_KINDS] = {2, 3, 4, 4, 5, 6};

namespace {

constexpr int BLOB_GONE = 120;     // a squashed blob is freed at this timer
constexpr int BLOB_STILL = 64;     // ... and shown steadily before it blinks
constexpr int DYING_BAT_GONE = 12; // frames a stomped bat dissolves
constexpr int HATGUY_WAKES = 226;  // frames a stomped hat guy stays stunned
constexpr int HATGUY_DAZED = 186;  // ... after which it shows its waking picture
constexpr int LEFT_BEHIND = 250;   // freed this far left of the view's left edge
constexpr int FAR_AHEAD = 500;     // ... or this far right of it
constexpr int FALLEN_OUT = 200;    // ... or below this y
constexpr int STOMP_POINTS = 3;

constexpr int blobbas[4] = {9, 10, 11, 10};
constexpr int bat[4] = {33, 57, 34, 57};

// Pictures of each kind, from its direction and timer. Called through the kind table.
int blobPicture(const Monster& m) {
    if (m.dx != 0) return blobbas[(m.timer / 6) & 3];
    // Squashed: steady, then blinking before it goes.
    if (m.timer < BLOB_STILL || (m.timer & 8)) return 12;
    return -1;
}
int hogletPicture(const Monster& m) {
    return m.dx + 14 + ((m.timer & 15) >> 3);
}
int batPicture(const Monster& m) {
    return bat[(m.timer / 6) & 3];
}
int dyingBatPicture(const Monster& m) {
    return m.timer / 4 + 35;
}
int piranhaPicture(const Monster& m) {
    return ((m.timer / 15) & 1) + 54 + m.dx;
}
int hatGuyPicture(const Monster& m) {
    if (m.dx > 0) return 121 + ((m.timer & 15) >> 2);
    if (m.dx < 0) return 144 - ((m.timer & 15) >> 2);
    return m.timer < HATGUY_DAZED ? 125 : 126;
}
int otherPicture(const Monster&) {
    return 20;
}

// What a stomp does to each kind that can be stomped. Called through the kind table by touch.
void stompBlob(Monster& m) {
    m.dx = 0;
    m.timer = 0;
    playSFX(SFX_BLUBB);
    addScore(STOMP_POINTS);
}
void stompBat(Monster& m) {
    playSFX(SFX_BAT);
    m.timer = 0;
    m.dx = 0;
    m.kind = MON_DYING_BAT;
    addScore(STOMP_POINTS);
}
// A hat guy is only stunned, and only its first stomp scores.
void stompHatGuy(Monster& m) {
    playSFX(SFX_KLACK);
    m.hits++;
    m.timer = 0;
    m.savedDx = m.dx;
    m.dx = 0;
    if (m.hits == 1) addScore(STOMP_POINTS);
}

// The rules that differ between kinds.
struct MonsterKind {
    int32_t startDx;                  // every monster starts walking left
    int32_t stompable;                // the figure can land on it
    int32_t falls;                    // gravity applies; bats and piranhas keep their height
    int (*picture)(const Monster& m); // its picture this frame
    void (*stomp)(Monster& m);        // what landing on it does
};
constexpr MonsterKind kinds[NUM_MONST_KINDS] = {
    {-1, 1, 1, blobPicture, stompBlob},  {-1, 0, 1, hogletPicture, nullptr},
    {-1, 1, 0, batPicture, stompBat},    {0, 0, 0, dyingBatPicture, nullptr},
    {-1, 0, 0, piranhaPicture, nullptr}, {-2, 1, 1, hatGuyPicture, stompHatGuy},
};
constexpr MonsterKind otherKind = {-1, 0, 1, otherPicture, nullptr};

// The rules of a kind; an unknown kind walks and falls like a hoglet and shows the bump block.
const MonsterKind& kindOf(int kind) {
    return (kind >= 1 && kind <= NUM_MONST_KINDS) ? kinds[kind - 1] : otherKind;
}

// Death text of a kind; kinds without one of their own use the first monster text.
int reasonOf(int kind) {
    return (kind >= 1 && kind <= NUM_MONST_KINDS) ? REASONS[kind - 1] : REASONS[0];
}

// Walks one step unless a wall is in the way, then turns if a wall touches either side.
// It does not turn at the edge of a ledge: it walks off and falls.
void walk(Monster& m) {
    const int d = m.dx, ad = d < 0 ? -d : d;
    if (d > 0) {
        if (!isSolidPos(m.x + 16, m.y + 1) && !isSolidPos(m.x + 16, m.y + 16 - d)) m.x += d;
    } else {
        if (!isSolidPos(m.x - 1, m.y + 1) && !isSolidPos(m.x - 1, m.y + 16 + d)) m.x += d;
    }
    if (isSolidPos(m.x + 16, m.y + 1) || isSolidPos(m.x + 16, m.y + 16 - ad) ||
        isSolidPos(m.x - 1, m.y + 1) || isSolidPos(m.x - 1, m.y + 16 - ad))
        m.dx = -m.dx;
}

// Gravity for the kinds that fall, then standing on whatever is below.
void fall(Monster& m) {
    if (kindOf(m.kind).falls) {
        m.y += m.vy / 3;
        m.vy++;
    } else {
        m.vy = 1;
    }
    if (isSolidPos(m.x, m.y + 16) || isSolidPos(m.x + 15, m.y + 16)) {
        m.vy = 3;
        m.y &= ~15;
    }
}

// A falling figure over the monster stomps it; otherwise a figure close
// enough dies. Only a moving monster touches the figure.
void touch(Monster& m, Figure& fig) {
    const int32_t fx = fig.x, fy = fig.y;
    if (fx >= m.x - 15 && fx <= m.x + 16 && fy >= m.y - 15 && fy < m.y && fig.vy > 7 && m.stompable == 1) {
        const MonsterKind& k = kindOf(m.kind);
        if (k.stomp) k.stomp(m);
        fig.bounce = 1;
        return;
    }
    if (fx >= m.x - 12 && fx <= m.x + 13 && fy >= m.y - 9 && fy <= m.y + 10) {
        figureDying(fig, tr(reasonOf(m.kind)));
        playSFX(SFX_AJ);
    }
}

} // namespace

// Fills one record for a new monster walking left. Called by startMonster.
void setMonster(Monster& m, int x, int y, int kind) {
    const MonsterKind& k = kindOf(kind);
    m.x = x;
    m.y = y;
    m.kind = kind;
    m.dx = k.startDx;
    m.savedDx = k.startDx;
    m.vy = 0;
    m.timer = 0;
    m.hits = 0;
    m.active = 1;
    m.stompable = k.stompable;
}

// Starts a monster in the lowest free slot; 0 when all are busy. Called by the column scan.
int startMonster(int x, int y, int kind) {
    for (Monster& m : world.monst) {
        if (m.active) continue;
        setMonster(m, x, y, kind);
        return 1;
    }
    return 0;
}

// Frees one slot.
void killMonster(Monster& m) {
    m.active = 0;
}

// Frees every slot. Called by the game flow before each level load and by initStuff.
void killMonsters() {
    for (Monster& m : world.monst) killMonster(m);
}

// One frame of one monster: timers, walking, falling, contact with the
// figure, and leaving. viewStep is the scroll position read at the start of
// the frame. Called by updateMonsters.
void updateMonster(Monster& m, Figure& fig, int32_t viewStep) {
    m.timer++;
    // A squashed blob goes at its timeout, but still finishes this frame's steps.
    if (m.dx == 0 && m.kind == MON_BLOB && m.timer == BLOB_GONE) m.active = 0;
    if (m.dx != 0) walk(m);
    fall(m);
    if (isActive(fig) && m.dx != 0) touch(m, fig);

    if (m.kind == MON_DYING_BAT && m.timer >= DYING_BAT_GONE) m.active = 0;
    if (m.kind == MON_HATGUY && m.dx == 0 && m.timer >= HATGUY_WAKES) m.dx = -m.savedDx;

    if (viewStep > m.x + LEFT_BEHIND || viewStep < m.x - FAR_AHEAD || m.y > FALLEN_OUT) m.active = 0;
}

// One frame of every monster in slot order. Called by the game flow once per
// frame before the figure moves, on the title screen too.
void updateMonsters(Figure& fig) {
    const int32_t viewStep = world.map.step;
    for (Monster& m : world.monst)
        if (m.active) updateMonster(m, fig, viewStep);
}

// The tile a monster shows this frame, -1 while a squashed blob blinks off.
// Called by drawMonster and the tests.
int monsterPicture(const Monster& m) {
    return kindOf(m.kind).picture(m);
}
