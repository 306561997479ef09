// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The player figure: walking, jumping, falling, what it does to the cells it
// touches, dying, time and air.
#include "5world/figure.h"
#include "5world/world.h"

#include <cstdio>

#include "3audio/sound.h"
#include "1base/text.h"
#include "4io/input.h"
#include "5world/anims.h"
#include "5world/map.h"

namespace {

constexpr int STAND_VY = 7;         // vertical speed of a figure standing or bumped back
constexpr int JUMP_VY = -20;        // a jump's speed ...
constexpr int JUMP_DY = -5;         // ... and its first step
constexpr int HOP_VY = -6;          // the small hop off a stomped monster ...
constexpr int HOP_DY = -1;          // ... and its first step
constexpr int BORED = 500;          // frames standing still before it faces the viewer
constexpr int FALLEN = 250;         // below this y the figure has fallen out of the map
constexpr int FALL_DONE = 2500;     // the death fall ends below this y
constexpr int MAX_AIR_REFILL = 498; // air grows by 2 a frame out of water up to 499 or 500
constexpr int STAND_RIGHT = 65;     // standing after walking right
constexpr int STAND_LEFT = 68;      // standing after walking left

// Death texts by number.
enum { TXT_IMPALED = 0, TXT_FELL = 1, TXT_TIME_UP = 39, TXT_DROWNED = 40 };

// The four corners tested for lethal cells.
constexpr int corners[4][2] = {{2, 2}, {13, 2}, {13, 13}, {2, 13}};

// Top-left pixel of the cell holding a coordinate.
int cellOf(int v) {
    return v & ~15;
}

// Puts a death text into the HUD's message, cut to the buffer.
void copyMessage(const char* text) {
    snprintf(world.play.messageString, MAX_MESSAGE, "%s", text ? text : "");
}

// Walk pictures, a new one every three counts; the division truncates toward
// zero, so while the count is negative the pictures run last to first.
int rightFrame(int walkCount) {
    return ((walkCount / 3) & 3) + 1;
}
int leftFrame(int walkCount) {
    return ((walkCount / 3) & 3) + 5;
}

// Something solid under either foot.
int feetOnSolid(const Figure& fig) {
    return isSolidPos(fig.x, fig.y + 16) || isSolidPos(fig.x + 15, fig.y + 16);
}

// Walking right and left. A released direction keeps the figure going to the
// next multiple of 8, so that it always stops on the grid it started from.
// It moves left only while it is right of the view's left edge.
void walk(Figure& fig, int speed, int32_t viewStep) {
    if (input.right || input.left) {
        fig.last_right = 0;
        fig.last_left = 0;
    }
    if (input.right || (fig.last_right && (fig.x & 7))) {
        fig.last_right = 1;
        if (!isSolidPos(fig.x + 16, fig.y + 1) && !isSolidPos(fig.x + 16, fig.y + 16 - speed)) fig.x += speed;
    } else {
        fig.last_right = 0;
    }
    if (input.left || (fig.last_left && (fig.x & 7))) {
        fig.last_left = 1;
        if (viewStep < fig.x && !isSolidPos(fig.x - 1, fig.y + 1) &&
            !isSolidPos(fig.x - 1, fig.y + 16 - speed))
            fig.x -= speed;
    } else {
        fig.last_left = 0;
    }
}

// The walk pictures, or a standing one; a figure left alone long enough turns to the viewer.
void animate(Figure& fig) {
    if (fig.last_right && !fig.last_left) {
        fig.walkCount++;
        fig.sprite = rightFrame(fig.walkCount);
        fig.timer = 0;
    } else if (fig.last_left) {
        if (!fig.last_right) fig.walkCount--;
        fig.sprite = leftFrame(fig.walkCount);
        fig.timer = 0;
    } else {
        fig.timer++;
        if (fig.timer > BORED) {
            fig.sprite = FIGURE_FACING;
            fig.walkCount = 0;
        } else if (fig.sprite >= 1 && fig.sprite <= 4) {
            fig.sprite = STAND_RIGHT;
        } else if (fig.sprite >= 5 && fig.sprite <= 8) {
            fig.sprite = STAND_LEFT;
        }
    }
}

// Jump, hop or gravity, then standing on whatever is below. A standing figure
// sinks one pixel and is put back each frame, so it leaves a ledge at speed 7.
void moveVertically(Figure& fig) {
    int32_t vy, dy;
    if (input.jump && !fig.jumpHeld && (feetOnSolid(fig) || fig.bounce)) {
        fig.jumpHeld = 1;
        fig.bounce = 0;
        vy = JUMP_VY;
        dy = JUMP_DY;
    } else if (fig.bounce) {
        fig.bounce = 0;
        vy = HOP_VY;
        dy = HOP_DY;
    } else {
        dy = fig.vy / 4;
        vy = fig.vy + 1;
    }
    fig.vy = vy;
    fig.y += dy;
    if (feetOnSolid(fig)) {
        fig.vy = STAND_VY;
        fig.y = cellOf(fig.y);
    }
}

// An open trap door shuts once the figure has passed it: the door last
// overlapped at mid-height is remembered until neither side touches an open one.
void trapDoor(Figure& fig) {
    const int leftOn = getBlockAtPos(fig.x, fig.y + 8) == BLK_TRAPDOOR_OPEN;
    const int rightOn = getBlockAtPos(fig.x + 15, fig.y + 8) == BLK_TRAPDOOR_OPEN;
    if (fig.onTrapDoor && !leftOn && !rightOn && startAnim(fig.trapDoorX, fig.trapDoorY, ANIM_TRAPDOOR))
        playSFX(SFX_TRDOOR);
    if (leftOn || rightOn) {
        fig.onTrapDoor = 1;
        fig.trapDoorX = cellOf(leftOn ? fig.x : fig.x + 15);
        fig.trapDoorY = cellOf(fig.y + 8);
    } else {
        fig.onTrapDoor = 0;
    }
}

// An item at the centre: one point and one item less. When every slot for
// the vanishing is busy the cell is emptied at once, so an item never counts twice.
void eatItem(Figure& fig, int cx, int cy) {
    if (startAnim(cx, cy, ANIM_PICKUP))
        playSFX(SFX_CHEW);
    else
        setBlock(cx >> 4, cy >> 4, BLK_EMPTY);
    eatStar(fig);
}

// A head bump: a brick cracks (one point even when it cannot start
// crumbling), a bump block shines; the figure drops back at once.
void headBump(Figure& fig) {
    if (!isSolidPos(fig.x, fig.y) && !isSolidPos(fig.x + 15, fig.y)) return;
    const int hx = cellOf(fig.x + 8), hy = cellOf(fig.y);
    const int block = getBlockAtPos(fig.x + 8, fig.y);
    if (block == BLK_BRICK) {
        if (startAnim(hx, hy, ANIM_BRICK)) playSFX(SFX_KRACK);
        addScore(1);
    } else if (block == BLK_BUMP) {
        if (startAnim(hx, hy, ANIM_SHINE)) playSFX(SFX_KLONK);
    }
    fig.vy = STAND_VY;
    fig.y = cellOf(fig.y + 15);
}

// A crumbling floor under the middle of the feet gives way; only when the
// middle stands on nothing solid do the two outer feet points count.
void crumbleFloor(const Figure& fig) {
    const int fy = fig.y + 16;
    if (getBlockAtPos(fig.x + 8, fy) == BLK_CRUMBLE) startAnim(cellOf(fig.x + 8), cellOf(fy), ANIM_FLOOR);
    if (isSolidPos(fig.x + 8, fy)) return;
    if (getBlockAtPos(fig.x, fy) == BLK_CRUMBLE) startAnim(cellOf(fig.x), cellOf(fy), ANIM_FLOOR);
    if (getBlockAtPos(fig.x + 15, fy) == BLK_CRUMBLE) startAnim(cellOf(fig.x + 15), cellOf(fy), ANIM_FLOOR);
}

// What the cells under and around the figure do, in a fixed order. Runs only
// while the figure is inside the map's height.
void cellRules(Figure& fig) {
    const int doorCell = getBlockAtPos(fig.x, fig.y);
    if (doorCell == BLK_DOOR_EXIT) fig.madeIt = 1;
    if (doorCell == BLK_DOOR_LOCKED) fig.atClosedDoor = 1;

    for (const auto& c : corners) {
        if (isLeathalPos(fig.x + c[0], fig.y + c[1])) {
            figureDying(fig, tr(TXT_IMPALED));
            break;
        }
    }

    trapDoor(fig);

    const int sx = fig.x + 8, sy = fig.y + 15;
    if (getBlockAtPos(sx, sy) == BLK_SPIKES_ARMED && startAnim(cellOf(sx), cellOf(sy), ANIM_SPIKES))
        playSFX(SFX_BOINK);

    const int cx = fig.x + 8, cy = fig.y + 8;
    if (getBlockAtPos(cx, cy) == BLK_EXTRA_LIFE && startAnim(cellOf(cx), cellOf(cy), ANIM_PICKUP)) addLife();
    if (getBlockAtPos(cx, cy) == BLK_ITEM) eatItem(fig, cellOf(cx), cellOf(cy));

    // The lighting restarts every frame while the figure stays, so it plays
    // its sound once and lights up after the figure has moved on.
    const int kx = fig.x + 8, ky = fig.y + 14;
    if (getBlockAtPos(kx, ky) == BLK_CHECKPOINT) {
        setStart(cellOf(kx), cellOf(ky));
        if (startAnim(cellOf(kx), cellOf(ky), ANIM_CHECKPOINT)) playSFX(SFX_KNIRK);
    }

    headBump(fig);
    crumbleFloor(fig);
}

// The view follows a figure that walks into its right part.
void scroll(const Figure& fig, int32_t viewStep) {
    if (fig.x > viewStep + scrollTwo)
        moveForward(2);
    else if (fig.x > viewStep + scrollOne)
        moveForward(1);
}

// The death fall: up, then down and out of the map, drifting left.
void deathFall(Figure& fig) {
    fig.y += fig.vy / 4;
    fig.x -= 1;
    fig.vy++;
    if (fig.y > FALL_DONE) fig.alive = 0;
}

// The clock and the air run in every state, also during the death fall.
void timeAndAir(Figure& fig) {
    world.timeLeft--;
    if (world.timeLeft == 0) killFigure(fig, tr(TXT_TIME_UP));
    if (isWet(fig)) {
        world.airLeft--;
        if (world.airLeft == 0) killFigure(fig, tr(TXT_DROWNED));
        if (!world.flag1 && isActive(fig)) {
            playSFX(SFX_SPLASH);
            world.flag1 = 1;
        }
    } else {
        if (world.airLeft <= MAX_AIR_REFILL) world.airLeft += 2;
        world.flag1 = 0;
    }
}

} // namespace

// Puts a new figure at (x, y), facing the viewer. Called by the game flow at
// each level start and restart.
void placeFigure(Figure& fig, int x, int y) {
    fig.x = x;
    fig.y = y;
    fig.alive = 1;
    fig.sprite = FIGURE_FACING;
    fig.vy = 0;
    fig.walkCount = 0;
    fig.timer = 0;
    fig.dying = 0;
    fig.madeIt = 0;
    fig.atClosedDoor = 0;
    fig.jumpHeld = 0;
    fig.bounce = 0;
    fig.onTrapDoor = 0;
}

// Forgets a coast to the next multiple of 8, so a new run starts standing. Called
// by initStuff.
void stopCoasting(Figure& fig) {
    fig.last_left = fig.last_right = 0;
}

// One frame of the figure. The scroll position is read once, at the start.
// Called by the game flow once per frame while the figure is alive, after the
// animated objects and the monsters.
void updateAlive(Figure& fig) {
    const int32_t viewStep = world.map.step;
    if (fig.alive && !fig.dying) {
        const int speed = (input.crawl || (fig.x & 1)) ? 1 : 2;
        walk(fig, speed, viewStep);
        animate(fig);
        moveVertically(fig);
        if (fig.y >= 0 && fig.y <= MAP_BOTTOM) cellRules(fig);
        if (!input.jump) fig.jumpHeld = 0;
        scroll(fig, viewStep);
        if (fig.dying)
            deathFall(fig);
        else if (fig.y > FALLEN)
            killFigure(fig, tr(TXT_FELL));
    } else if (fig.dying) {
        deathFall(fig);
    }
    timeAndAir(fig);
}

// The figure can be touched: it exists and is not falling to its death.
int isActive(const Figure& fig) {
    return fig.alive && !fig.dying;
}

// The figure has walked into the open exit door. Called by the game flow.
int haveMadeit(const Figure& fig) {
    return fig.alive && fig.madeIt;
}

// The figure's centre is in water. Its air runs out there.
int isWet(const Figure& fig) {
    return isWaterBlock(getBlockAtPos(fig.x + 8, fig.y + 8));
}

// Starts the death fall with a cry and the reason shown in the HUD. Called by
// lethal cells, monsters and the pause menu's suicide.
void figureDying(Figure& fig, const char* text) {
    fig.timer = 0;
    fig.dying = 1;
    copyMessage(text);
    playSFX(SFX_AJ);
    fig.vy = FIGURE_DEATH_VY;
}

// Removes the figure at once and starts the death countdown. Called for a
// fall out of the map, time up, drowning, and by the game flow on the title.
void killFigure(Figure& fig, const char* text) {
    fig.alive = 0;
    fig.timer = FIGURE_DEAD_TIMER;
    copyMessage(text);
}

// One item collected; the last one unlocks the exit door.
void eatStar(Figure& fig) {
    addScore(1);
    world.map.stars--;
    if (world.map.stars == 0) {
        playSFX(SFX_KLACK);
        setDoor(1);
        fig.atClosedDoor = 0;
    }
}
