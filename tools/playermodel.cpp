// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The player model of the level check (see playermodel.h and docs/levels.md).
//
// Every MOVE frames the player decides. It takes the screen of a reaction time
// ago (a snapshot of the world with every column right of the view replaced by
// a guess: the last visible column's ground, walls, spikes and water carried
// on, no items, no monsters; the skilled player also knows the stretch up to
// where it died before), plays on it the inputs its hands have given since
// (it knows what it pressed), and searches a short way ahead with the bot's
// beam from there, going for the nearest item it sees and keeping out of
// water. When all it sees is as it expected, it goes on with its plan without
// a new search. Of the best plans it takes the first whose presses still work
// when each lands its noise early or late, and hands on its first move; the
// hands press it up to `noise` frames early or late. When the short plans all
// end badly (dead, wet without an item, over a pit) it looks two seconds
// ahead; in water that gets it nowhere it heads for the nearest bank it sees.
// Without progress for a while it looks further and judges by the way on
// instead; after longer it gives the life up, as a person would through the
// pause menu, and so when an item has slipped out of reach. BLOMP_TRACE=1 in the environment prints
// every decision: the figure it believes in, the plans it weighed, the move
// chosen and the monsters it saw.
#include "playermodel.h"

#include "beamsearch.h"
#include "levelpics.h"

#include "1base/text.h"
#include "2platform/zda.h"
#include "4io/input.h"
#include "5world/figure.h"
#include "5world/map.h"
#include "5world/monsters.h"
#include "5world/world.h"
#include "7game/run.h"
#include "7game/stuff.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <cstdio>
#include <deque>
#include <map>

// Casual: a quarter of a second to react, presses within 3 frames, no memory.
// Skilled: 150 ms, within a frame, and remembers where it died.
const PlayerKind playerKinds[NUM_PLAYER_KINDS] = {
    {"casual", 15, 3, 0},
    {"skilled", 9, 1, 1},
};

namespace {

constexpr int MOVE = 4;               // frames of a planned move; the player decides this often
constexpr int HORIZON = 12;           // moves planned ahead: a jump and its landing
constexpr int WIDTH = 32;             // states kept while planning
constexpr int HARD_HORIZON = 24;      // when stuck: a longer look ...
constexpr int HARD_WIDTH = 24;        // ... and a wider one
constexpr int ESCAPE_HORIZON = 30;    // the longer look (two seconds): to a bank, or for a way that keeps dry
constexpr int WET_PATIENCE = 60;      // frames in water without an item in reach before it heads out
constexpr int LOW_AIR = 200;          // frames of air left (of 500) when it heads out of the water anyway
constexpr int STUCK_FRAMES = 180;     // 3 s without progress: think harder
constexpr int GIVE_UP_FRAMES = 600;   // 10 s without progress: give the life up (the pause menu)
constexpr int PLANS_TESTED = 3;       // plans with different first moves tried against the noise
constexpr int NOISE_REACH = 3 * MOVE; // presses this soon are tried early and late
constexpr int64_t WET_PENALTY = 3000; // a state in water, against 10000 an item
constexpr int IDLE = 2;               // the move that holds nothing
constexpr int INTRO = 180;            // frames the level intro shows the screen before play
constexpr int SUDDEN = 60;            // a danger on screen less than a second before it kills
constexpr int NOT_SEEN = 1 << 30;     // not yet on screen in this life
constexpr int PLACE_SPAN = 3;         // columns of one place
constexpr int MIN_PASSES = 3;         // lives that must come to a place before it can be judged unfair
constexpr int MAX_PLACES_SHOWN = 3;   // places printed per level and player

// The goals the levels are tuned to (docs/levels.md).
constexpr int GOAL_CASUAL_FIRST = 90; // percent of casual tries finishing level 1
constexpr int GOAL_CASUAL_EARLY = 70; // ... each of levels 1-4
constexpr int LAST_EARLY_LEVEL = 4;
constexpr int GOAL_SKILLED = 30;   // percent of skilled tries finishing every level
constexpr int GOAL_STEP_DOWN = 15; // after level 4, no level this much easier for skilled than the one before
constexpr double REGRESSION_LIVES = 2.5; // lives lost on average that a level may gain against its record

// A seeded stream of numbers (splitmix64), so every try repeats.
struct Rng {
    uint64_t state;
    uint64_t next() {
        uint64_t z = (state += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    int range(int lo, int hi) { return lo + (int)(next() % (uint64_t)(hi - lo + 1)); }
};

// A planned move as the hands gave it: started at frame `start` of the life.
struct Segment {
    int start;
    int move;
};

// What the player expects to see at its next decision if all goes as planned:
// the figure, the monsters and the items left.
struct Expectation {
    int valid = 0;
    Figure figure;
    Monster monst[MAX_MONST];
    int32_t stars;
};

// Notes the live world as expected.
// Called by decide.
void expectLive(Expectation& e) {
    e.valid = 1;
    e.figure = world.figure;
    std::copy(world.monst, world.monst + MAX_MONST, e.monst);
    e.stars = world.map.stars;
}

// The live world is as expected: nothing new came into view, no press landed otherwise.
// Called by decide.
bool asExpected(const Expectation& e) {
    if (!e.valid || e.stars != world.map.stars || memcmp(&e.figure, &world.figure, sizeof(Figure)) != 0)
        return false;
    for (int i = 0; i < MAX_MONST; i++) {
        const Monster &a = e.monst[i], &b = world.monst[i];
        if (a.active != b.active || (a.active && (a.x != b.x || a.y != b.y || a.kind != b.kind)))
            return false;
    }
    return true;
}

// What the player knows and does in the life being played.
struct Player {
    const PlayerKind* kind;
    Rng rng;
    SearchRules rules;
    std::vector<Segment> segments;          // the moves handed on, in order of their start
    std::vector<int> played;                // inputs of every frame played in this life
    std::deque<std::pair<int, World>> seen; // screens that decisions to come will look back at
    World intro;                            // the screen of the level intro
    World real;                             // the real world while a decision plays on snapshots
    int knownTo = -1;                       // last column remembered from earlier lives
    int stuck = 0;                          // no progress for a while: think harder
    std::vector<int> kept;                  // the rest of the plan it follows
    int escaping = 0;                       // in water, heading for a bank
    int wetFrom = -1;                       // frame it went into the water, -1 when dry
    Expectation expect;                     // what its next decision should see
};

// What the screen has shown in this life, for the warning a death had.
struct Sight {
    std::vector<int> column; // frame each column first came into view
    int marked = -1;         // columns up to this one are marked
    int monster[MAX_MONST];  // frame each monster slot's monster first came into view
};

// The input the hands give in frame f of the life.
// Called by decide and playLife.
int handInput(const Player& p, int f) {
    for (size_t i = p.segments.size(); i-- > 0;)
        if (p.segments[i].start <= f)
            return moveInputs(p.segments[i].move, std::min(f - p.segments[i].start, MOVE - 1), MOVE);
    return 0;
}

// What a cell right of the view is guessed to be: ground, walls, spikes and water carry on; nothing else.
// Called by maskUnseen.
int guessCell(int code) {
    return (isSolidBlock(code) || isLethalBlock(code) || isWaterBlock(code)) ? code : BLK_EMPTY;
}

// Turns the live world into what its screen shows: the columns right of the view
// (and right of what is remembered) become a guess from the last one known,
// and monsters there are gone.
// Called by decide.
void maskUnseen(int knownTo) {
    const int last = std::max((world.map.step + VIEW_W - 1) >> 4, knownTo);
    if (last + 1 >= world.map.mapLength) return;
    int32_t* cells = world.map.mapData.data();
    for (int c = last + 1; c < world.map.mapLength; c++)
        for (int r = 0; r < MAP_ROWS; r++) cells[c * MAP_ROWS + r] = guessCell(cells[last * MAP_ROWS + r]);
    for (Monster& m : world.monst)
        if (m.active && (m.x >> 4) > last) m.active = 0;
}

// A way found by the planner: its moves and how promising its end is.
struct Plan {
    std::vector<int> moves;
    int64_t score;
    int wet = 0;   // it ends in water
    int pit = 0;   // it ends in the air over a pit
    int eaten = 0; // items it eats
};
constexpr int64_t DOOR_SCORE = INT64_MAX; // a plan that enters the door

// The code of map cell (column c, row r); the caller keeps both inside the map.
int32_t cellAt(int c, int r) {
    return world.map.mapData[c * MAP_ROWS + r];
}

// The place on screen nearest the figure where it can climb out of water: an
// open cell on solid ground next to water at the same height (a bank's edge,
// a stone or a crate in the water); -1 when the screen shows none.
// Called by decide.
int nearestBank() {
    const int first = std::max(0, (world.map.step + 7) >> 4);
    const int last = std::min((world.map.step + VIEW_W - 1) >> 4, world.map.mapLength - 1);
    int best = -1, bestDistance = 1 << 30;
    for (int c = first; c <= last; c++)
        for (int r = 0; r + 1 < MAP_ROWS; r++) {
            const int cell = cellAt(c, r);
            if (isSolidBlock(cell) || isWaterBlock(cell) || isLethalBlock(cell) ||
                !isSolidBlock(cellAt(c, r + 1)))
                continue;
            const bool left = c > 0 && isWaterBlock(cellAt(c - 1, r + 1));
            const bool right = c + 1 < world.map.mapLength && isWaterBlock(cellAt(c + 1, r + 1));
            if (!left && !right) continue;
            const int d = std::abs(c * CELL - world.figure.x) + std::abs(r * CELL - world.figure.y);
            if (d < bestDistance) {
                bestDistance = d;
                best = c * MAP_ROWS + r;
            }
        }
    return best;
}

// Nothing solid in column c from row `top` down to the map's bottom.
// Called by overPit and firstSeen.
bool openBelow(int c, int top) {
    for (int r = std::max(0, top); r < MAP_ROWS; r++)
        if (isSolidBlock(cellAt(c, r))) return false;
    return true;
}

// Nothing solid below the figure down to the map's bottom: it falls out.
// Called by searchPlans.
int overPit() {
    const int top = (world.figure.y + CELL) >> 4; // a figure standing finds its ground here
    for (int x : {world.figure.x, world.figure.x + CELL - 1}) {
        const int c = x >> 4;
        if (c < 0 || c >= world.map.mapLength || !openBelow(c, top)) return 0;
    }
    return 1;
}

// The beam search from the live world over the visible stretch; the best plans
// with different first moves, best first.
// Called by decide.
std::vector<Plan> searchPlans(const SearchRules& rules, int horizon, int width) {
    std::vector<Node> beam(1), next;
    saveWorld(beam[0].w);
    beam[0].history = -1;
    std::vector<HistoryEntry> history;
    std::vector<Candidate> cands;
    std::vector<Plan> plans;
    for (int depth = 0; depth < horizon; depth++) {
        Expansion e;
        expandBeam(beam, rules, cands, e);
        if (e.found >= 0) { // the door: nothing better to plan
            plans.push_back({movesOf(history, beam[e.found].history), DOOR_SCORE, 0, 0, 1});
            plans.back().moves.push_back(e.foundMove);
            return plans;
        }
        keepBest(beam, cands, width, rules, history, next);
        if (next.empty()) break; // every way dies: plan with the last that lived
        beam.swap(next);
    }
    for (Node& node : beam) {
        std::vector<int> way = movesOf(history, node.history);
        if (way.empty()) continue;
        bool taken = false;
        for (const Plan& q : plans) taken = taken || q.moves[0] == way[0];
        if (taken) continue;
        restoreWorld(node.w, 0, world.map.mapLength);
        plans.push_back(
            {way, judge(rules), isWet(world.figure), overPit(), rules.itemsAtStart - world.map.stars});
        if ((int)plans.size() >= PLANS_TESTED) break;
    }
    return plans;
}

// How promising the rest of the plan the player follows still is, played from
// a snapshot as long as a new plan (its last move held on); -1 when it dies or
// loses an item.
// Called by decide.
int64_t keptScore(World& from, const std::vector<int>& kept, int length, const SearchRules& rules) {
    restoreWorld(from, 0, world.map.mapLength);
    for (int i = 0; i < length; i++) {
        int frames = 0;
        const int outcome = playMove(kept[std::min(i, (int)kept.size() - 1)], MOVE, &frames);
        if (outcome == MOVE_DONE) return DOOR_SCORE;
        if (outcome == MOVE_DEAD || lostItem(rules)) return -1;
    }
    return judge(rules);
}

// Plays frame inputs from a snapshot: 0 when the figure dies or loses an
// item on the way, 1 when it lives and ends in water, 2 when it ends dry (or
// at the door).
// Called by noiseTest.
int survives(World& from, const std::vector<int>& in, const SearchRules& rules) {
    restoreWorld(from, 0, world.map.mapLength);
    for (int input : in) {
        playFrame(input);
        if (haveMadeit(world.figure)) return 2;
        if (figureLost()) return 0;
    }
    return lostItem(rules) ? 0 : isWet(world.figure) ? 1 : 2;
}

// The frame inputs with the change of input at j landing `shift` frames later
// (earlier when negative); the rest of the plan moves along with it.
// Called by noiseTest.
std::vector<int> shifted(const std::vector<int>& in, int j, int shift) {
    std::vector<int> out(in.size());
    const int n = (int)in.size();
    for (int k = 0; k < n; k++) {
        if (k < j && k < j + shift)
            out[k] = in[k];
        else if (k < j + shift)
            out[k] = in[j - 1];
        else
            out[k] = in[std::min(k - shift, n - 1)];
    }
    return out;
}

// How many of the noisy ways of pressing a plan's next changes of input still
// live, and how many were tried; of a plan that ends dry a way that ends in
// water does not count as living (a person keeps a margin at the edge of a
// pond too). `pre` are the inputs the hands already give before the plan
// begins; the tries start from `now`, before them.
// Called by decide and choosePlan.
void noiseTest(World& now, const std::vector<int>& pre, const Plan& plan, const SearchRules& rules, int noise,
               int* lived, int* tried) {
    std::vector<int> in = pre;
    for (int move : plan.moves)
        for (int f = 0; f < MOVE; f++) in.push_back(moveInputs(move, f, MOVE));
    const int from = std::max(1, (int)pre.size());
    const int to = std::min((int)in.size(), (int)pre.size() + NOISE_REACH);
    int asPlanned = -1; // how the plan ends pressed without noise
    for (int j = from; j < to; j++) {
        if (in[j] == in[j - 1]) continue;
        if (asPlanned < 0) asPlanned = survives(now, in, rules);
        for (int shift : {-noise, noise}) {
            if (j + shift < 0) continue;
            (*tried)++;
            const int way = survives(now, shifted(in, j, shift), rules);
            *lived += way > 0;
        }
    }
}

// The first plan whose presses all survive their noise; failing that, the one most of whose do.
// Called by decide.
int choosePlan(World& now, const std::vector<int>& pre, const std::vector<Plan>& plans,
               const SearchRules& rules, int noise) {
    int best = 0, bestLived = -1;
    for (int i = 0; i < (int)plans.size(); i++) {
        int lived = 0, tried = 0;
        noiseTest(now, pre, plans[i], rules, noise, &lived, &tried);
        if (lived == tried) return i;
        if (lived * 1000 / tried > bestLived) {
            bestLived = lived * 1000 / tried;
            best = i;
        }
    }
    return best;
}

// One decision at frame t of the life: look at the screen of a reaction time
// ago, play the hands' inputs since then on it, plan, and hand on a move.
// Called by playLife, every MOVE frames.
void decide(Player& p, int t) {
    const int reaction = p.kind->reaction, noise = p.kind->noise;
    while (!p.seen.empty() && p.seen.front().first < t - reaction) p.seen.pop_front();
    World& screen = (t >= reaction && !p.seen.empty()) ? p.seen.front().second : p.intro;
    restoreWorld(screen, 0, world.map.mapLength);
    maskUnseen(p.knownTo);
    for (int f = std::max(0, t - reaction); f < t; f++) {
        playFrame(p.played[f]);
        if (figureLost()) return; // it sees itself doomed: the hands go on as they were
    }
    World now;
    saveWorld(now);
    // The new move begins `noise` frames ahead, so that a press can land early.
    std::vector<int> pre;
    for (int f = t; f < t + noise; f++) {
        pre.push_back(handInput(p, f));
        playFrame(pre.back());
        if (figureLost()) return;
    }
    SearchRules rules = p.rules;
    rules.itemsAtStart = world.map.stars;
    rules.byDistance = !p.stuck; // a person goes for the next item it sees; stuck, it looks for a way on
    rules.preferSooner = 1;      // and does not wait for nothing
    rules.wetPenalty = WET_PENALTY;
    const int horizon = p.stuck ? HARD_HORIZON : HORIZON;
    World planned; // where the plans begin
    saveWorld(planned);
    std::vector<Plan> plans;
    int best = -1;
    // All as expected: the plan it follows goes on without a new search, as
    // long as it still lives and its next presses still bear their noise.
    if (asExpected(p.expect) && !p.kept.empty() && keptScore(planned, p.kept, horizon, rules) >= 0) {
        int lived = 0, tried = 0;
        plans.push_back({p.kept, 0});
        noiseTest(now, pre, plans[0], rules, noise, &lived, &tried);
        if (lived == tried) best = 0;
    }
    if (best < 0) {
        restoreWorld(planned, 0, world.map.mapLength);
        const bool wet = isWet(world.figure);
        if (!wet) p.escaping = 0;
        if (!wet) p.wetFrom = -1;
        if (wet && p.wetFrom < 0) p.wetFrom = t;
        if (!p.escaping) {
            plans = searchPlans(rules, horizon, p.stuck ? HARD_WIDTH : WIDTH);
            // The plan it follows goes on when it still leads further than any new one
            // (the narrow search may miss it); on a tie the new one, which gets there sooner.
            if (!p.kept.empty() && !plans.empty() && plans[0].score != DOOR_SCORE) {
                const int64_t score = keptScore(planned, p.kept, horizon, rules);
                if (score > plans[0].score) plans.insert(plans.begin(), {p.kept, score});
            }
        }
        // On dry ground, when every short plan dies, ends in water without an
        // item or ends falling into a pit, it looks further (the same two
        // seconds) for a way that keeps dry and safe, as a person who sees a
        // pond or a pit ahead looks for stepping stones or a better take-off.
        if (!wet && !p.escaping && horizon < ESCAPE_HORIZON &&
            (plans.empty() || plans[0].pit || (plans[0].wet && plans[0].eaten == 0))) {
            restoreWorld(planned, 0, world.map.mapLength);
            std::vector<Plan> further = searchPlans(rules, ESCAPE_HORIZON, WIDTH);
            if (!further.empty() &&
                (plans.empty() || (plans[0].pit && !further[0].pit) || further[0].score > plans[0].score))
                plans.swap(further);
        }
        // In water for a second with no item in the short plan's reach, or
        // with the air running low, it heads for the nearest bank it sees,
        // looking further ahead, and keeps to that until it is out, as a
        // person would.
        const bool noItem = plans.empty() || plans[0].eaten == 0;
        if (wet && ((noItem && t - p.wetFrom >= WET_PATIENCE) || world.airLeft < LOW_AIR)) p.escaping = 1;
        if (p.escaping) {
            restoreWorld(planned, 0, world.map.mapLength);
            SearchRules out = rules;
            out.exitCell = nearestBank();
            std::vector<Plan> further;
            if (out.exitCell >= 0) further = searchPlans(out, ESCAPE_HORIZON, WIDTH);
            if (!further.empty()) {
                plans.swap(further);
            } else if (plans.empty()) { // no way out in sight: the short look after all
                p.escaping = 0;
                restoreWorld(planned, 0, world.map.mapLength);
                plans = searchPlans(rules, horizon, WIDTH);
            }
        }
        if (plans.empty()) return;
        best = choosePlan(now, pre, plans, rules, noise);
    }
    p.kept.assign(plans[best].moves.begin() + 1, plans[best].moves.end());
    const int move = plans[best].moves[0];
    restoreWorld(planned, 0, world.map.mapLength);
    int frames = 0;
    playMove(move, MOVE, &frames);
    expectLive(p.expect);
    if (getenv("BLOMP_TRACE")) {
        printf("t %d x %d y %d step %d stars %d plans", t, now.figure.x, now.figure.y, now.map.step,
               now.map.stars);
        for (const Plan& q : plans) {
            printf(" [");
            for (int m : q.moves) printf("%c", moves[m].letter);
            printf("]");
        }
        printf(" -> %c", moves[move].letter);
        for (const Monster& m : now.monst)
            if (m.active) printf(" m%d@%d,%d", m.kind, m.x, m.y);
        printf("\n");
    }
    const int begin = t + noise;
    int start = begin;
    if (moveInputs(move, 0, MOVE) != handInput(p, begin - 1)) start += p.rng.range(-noise, noise);
    start = std::max({start, t, p.segments.back().start + 1});
    p.segments.push_back({start, move});
}

// Notes the columns and monsters that came into view by frame f.
// Called by playLife after every frame.
void markSight(Sight& s, int f) {
    const int last = std::min((world.map.step + VIEW_W - 1) >> 4, world.map.mapLength - 1);
    for (; s.marked < last; s.marked++) s.column[s.marked + 1] = f;
    for (int i = 0; i < MAX_MONST; i++) {
        const Monster& m = world.monst[i];
        if (!m.active)
            s.monster[i] = NOT_SEEN;
        else if (s.monster[i] == NOT_SEEN && m.x + CELL > world.map.step && m.x < world.map.step + VIEW_W)
            s.monster[i] = f;
    }
}

// The lethal cell (column * MAP_ROWS + row) under a corner of the figure's box at (x, y), or -1.
// Called by deathOf.
int lethalCell(int x, int y) {
    static const int corners[4][2] = {{2, 2}, {13, 2}, {13, 13}, {2, 13}};
    for (const auto& c : corners)
        if (isLeathalPos(x + c[0], y + c[1])) return ((x + c[0]) >> 4) * MAP_ROWS + ((y + c[1]) >> 4);
    return -1;
}

// The monster that killed the figure: the nearest one whose death text the message is; -1 if none.
// Called by deathOf.
int killerMonster(int x, int y) {
    int best = -1, bestDistance = 1 << 30;
    for (int i = 0; i < MAX_MONST; i++) {
        const Monster& m = world.monst[i];
        if (!m.active || m.kind < 1 || m.kind > NUM_MONST_KINDS) continue;
        if (strcmp(tr(REASONS[m.kind - 1]), world.play.messageString) != 0) continue;
        const int d = std::abs(m.x - x) + std::abs(m.y - y);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

// The frame the danger at column c (row r for a lethal cell, -1 for a pit)
// first showed: a spike floor or a pit shows when its first column comes
// into view, not when the very column the figure met does, since a person
// who sees the start of a row of spikes or of a gap knows that it goes on.
// Called by deathOf.
int firstSeen(const Sight& s, int c, int r) {
    // A pit's columns have nothing solid from top to bottom. Under a rock
    // ceiling there are none, and a fall counts from its own column.
    auto same = [r](int col) { return r < 0 ? openBelow(col, 0) : isLethalBlock(cellAt(col, r)) != 0; };
    int seen = s.column[c];
    for (int k = c - 1; k >= 0 && same(k); k--) seen = std::min(seen, s.column[k]);
    for (int k = c + 1; k < world.map.mapLength && same(k); k++) seen = std::min(seen, s.column[k]);
    return seen;
}

// Where the figure died in frame f, what killed it and how long the danger had been on screen.
// Called by playLife.
Death deathOf(const Sight& s, int f, int groundColumn) {
    Death d;
    const int fallen = world.figure.y > MAP_BOTTOM;
    d.cause = fallen ? "FELL TO DEATH" : world.play.messageString;
    // The death fall has already moved the figure one frame: left 1, up 4.
    const int x = world.figure.dying ? world.figure.x + 1 : world.figure.x;
    const int y = world.figure.dying ? world.figure.y + 4 : world.figure.y;
    d.column = (x + CELL / 2) >> 4;
    d.warning = f + INTRO; // no danger of its own: as long as the life
    const int monster = fallen ? -1 : killerMonster(x, y);
    const int cell = fallen ? -1 : lethalCell(x, y);
    if (fallen) {
        d.column = groundColumn;
        const int pit = std::min(std::max(0, (x + CELL / 2) >> 4), world.map.mapLength - 1);
        d.warning = f - firstSeen(s, pit, -1);
    } else if (monster >= 0) {
        d.warning = f - s.monster[monster];
    } else if (cell >= 0) {
        d.column = cell / MAP_ROWS;
        d.warning = f - firstSeen(s, cell / MAP_ROWS, cell % MAP_ROWS);
    }
    return d;
}

// Plays one life from the current start point until the door, a death, or the
// player gives up; the span of columns it went through goes into res.
// Returns 1 at the door.
// Called by playTry, once a life.
int playLife(Player& p, TryResult& res) {
    const int reaction = p.kind->reaction;
    p.rules.firstColumn = std::max(0, (world.map.startx - CELL) >> 4);
    p.segments.assign(1, {0, IDLE});
    p.played.clear();
    p.kept.clear();
    p.escaping = 0;
    p.wetFrom = -1;
    p.expect.valid = 0;
    p.seen.clear();
    p.stuck = 0;
    saveWorld(p.intro);
    Sight sight;
    sight.column.assign(world.map.mapLength, NOT_SEEN);
    std::fill(sight.monster, sight.monster + MAX_MONST, NOT_SEEN);
    markSight(sight, -INTRO);
    LifeSpan span{(world.figure.x + CELL / 2) >> 4, (world.figure.x + CELL / 2) >> 4};
    int groundColumn = span.from, furthestX = world.figure.x, progressFrame = 0;
    for (int f = 0;; f++) {
        if ((f + reaction) % MOVE == 0) {
            p.seen.emplace_back(f, World());
            saveWorld(p.seen.back().second);
        }
        if (f % MOVE == 0) {
            // The decision plays on snapshots in the live world: the real one is kept aside.
            p.stuck = f - progressFrame > STUCK_FRAMES;
            saveWorld(p.real);
            decide(p, f);
            restoreWorld(p.real, 0, world.map.mapLength);
        }
        const int in = handInput(p, f);
        p.played.push_back(in);
        playFrame(in);
        res.frames++;
        markSight(sight, f);
        const int column = (world.figure.x + CELL / 2) >> 4;
        span.to = std::max(span.to, column);
        if (isActive(world.figure) && (isSolidPos(world.figure.x, world.figure.y + CELL) ||
                                       isSolidPos(world.figure.x + CELL - 1, world.figure.y + CELL)))
            groundColumn = column;
        if (world.figure.x > furthestX) {
            furthestX = world.figure.x;
            progressFrame = f;
        }
        if (haveMadeit(world.figure)) {
            res.lives.push_back(span);
            return 1;
        }
        Death d;
        if (figureLost())
            d = deathOf(sight, f, groundColumn);
        else if (lostItem(p.rules))
            d = {column, f + INTRO, "AN ITEM LEFT BEHIND"}; // the pause menu's suicide
        else if (f - progressFrame > GIVE_UP_FRAMES)
            d = {column, f + INTRO, "STUCK"};
        else
            continue;
        res.deaths.push_back(d);
        span.to = std::max(span.to, d.column); // the lethal cell can lie a column ahead
        res.lives.push_back(span);
        if (p.kind->memory)
            p.knownTo = std::max(p.knownTo, std::min(world.map.mapLength - 1, sight.marked + 2));
        return 0;
    }
}

} // namespace

// Plays level n from its start: six lives, restarts at the last checkpoint
// touched, as the game flow does after a death.
// Called by measureFairness.
TryResult playTry(int n, const PlayerKind& kind, uint64_t seed) {
    TryResult res;
    Player p;
    p.kind = &kind;
    p.rng.state = seed;
    inputClear();
    worldPlayLevel(n, levelNames[n]);
    for (;;) {
        if (playLife(p, res)) {
            res.finished = 1;
            return res;
        }
        if (--world.play.lives <= 0) return res;
        world.play.messageString[0] = '\0';
        inputClear();
        worldStart(levelNames[n], 0);
    }
}

namespace {

// The seed of try i of a kind of player on level n.
// Called by measureFairness.
uint64_t seedOf(int n, int kind, int i) {
    Rng r{(uint64_t)n * 1000003u + (uint64_t)kind * 7919u + (uint64_t)i};
    return r.next();
}

// Groups the deaths of all tries into places of PLACE_SPAN columns, the place
// with the most deaths first, and counts the lives that came to each.
// Called by measureFairness.
std::vector<Place> placesOf(const std::vector<Death>& deaths, const std::vector<LifeSpan>& lives) {
    std::vector<const Death*> left;
    for (const Death& d : deaths) left.push_back(&d);
    std::vector<Place> places;
    while (!left.empty()) {
        // The window of columns holding the most deaths still unassigned (the leftmost of equals).
        std::map<int, int> perColumn;
        for (const Death* d : left) perColumn[d->column]++;
        int bestFrom = 0, bestCount = -1;
        for (const auto& [column, count] : perColumn) {
            int sum = 0;
            for (int c = column; c < column + PLACE_SPAN; c++) sum += perColumn.count(c) ? perColumn[c] : 0;
            if (sum > bestCount) {
                bestCount = sum;
                bestFrom = column;
            }
        }
        Place p;
        p.column = bestFrom;
        std::vector<int> warnings;
        std::map<std::string, int> causes;
        std::vector<const Death*> rest;
        for (const Death* d : left) {
            if (d->column < bestFrom || d->column >= bestFrom + PLACE_SPAN) {
                rest.push_back(d);
                continue;
            }
            p.deaths++;
            p.sudden += d->warning < SUDDEN;
            warnings.push_back(d->warning);
            causes[d->cause]++;
        }
        left.swap(rest);
        std::sort(warnings.begin(), warnings.end());
        p.warning = warnings[warnings.size() / 2];
        int most = 0;
        for (const auto& [cause, count] : causes)
            if (count > most) {
                most = count;
                p.cause = cause;
            }
        for (const LifeSpan& l : lives) p.passes += l.from <= p.column + PLACE_SPAN - 1 && l.to >= p.column;
        places.push_back(p);
    }
    return places;
}

} // namespace

// Plays the tries one after another, each with its own seed, and sums them up.
// Called by fairnessMain.
Fairness measureFairness(int n, const PlayerKind& kind, int tries) {
    const auto begin = std::chrono::steady_clock::now();
    Fairness f;
    f.tries = tries;
    std::vector<Death> deaths;
    std::vector<LifeSpan> lives;
    const int k = (int)(&kind - playerKinds);
    for (int i = 0; i < tries; i++) {
        const TryResult r = playTry(n, kind, seedOf(n, k, i));
        f.finished += r.finished;
        f.deaths += (int)r.deaths.size();
        deaths.insert(deaths.end(), r.deaths.begin(), r.deaths.end());
        lives.insert(lives.end(), r.lives.begin(), r.lives.end());
    }
    f.places = placesOf(deaths, lives);
    f.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    return f;
}

// Kills without a second's warning in more than half of the lives that came
// there, of MIN_PASSES at least: a place one life came to says nothing yet.
// Called by printFairness and unfairCount.
bool unfairPlace(const Place& p) {
    return p.passes >= MIN_PASSES && 2 * p.sudden > p.passes;
}

namespace {

// The share of tries that reached the door, in percent.
// Called by printFairness and fairnessMain.
int percentOf(const Fairness& f) {
    return f.tries ? 100 * f.finished / f.tries : 0;
}

// One line of the table: the share, the lives, the places where most lives are
// lost, and any unfair place beyond them.
// Called by fairnessMain.
void printFairness(int n, const PlayerKind& kind, const Fairness& f) {
    printf("%-5d %-9s %-7s %4d%% %6.2f  ", n, levelNames[n], kind.name, percentOf(f),
           f.tries ? (double)f.deaths / f.tries : 0.0);
    for (int i = 0; i < (int)f.places.size(); i++) {
        const Place& p = f.places[i];
        const bool unfair = unfairPlace(p);
        if (i >= MAX_PLACES_SHOWN && !unfair) continue;
        printf("%scolumn %d: %d of %d passes, %s, seen %.1f s before%s", i ? "; " : "", p.column, p.deaths,
               p.passes, p.cause.c_str(), p.warning / 60.0, unfair ? " UNFAIR" : "");
    }
    printf("  (%.0f s)\n", f.seconds);
    fflush(stdout);
}

} // namespace

namespace {

// The unfair places of the casual player.
// Called by fairnessMain.
int unfairCount(const Fairness& f) {
    int count = 0;
    for (const Place& p : f.places) count += unfairPlace(p);
    return count;
}

// What a fairness file says of one level.
struct Recorded {
    int casual = -1, skilled = -1; // shares in percent, -1 when the level is not in the file
    double casualLives = 0, skilledLives = 0;
    int unfair = 0;
};

// Checks the goals of docs/levels.md, loosened by `slack` points, on what was
// measured or recorded; one line per miss.
// Called by fairnessMain and fairnessGoals.
int checkGoals(const std::map<int, Recorded>& rec, int slack) {
    int missed = 0;
    for (const auto& [n, r] : rec) {
        const int casualGoal = n == 1 ? GOAL_CASUAL_FIRST : n <= LAST_EARLY_LEVEL ? GOAL_CASUAL_EARLY : 0;
        if (r.casual < casualGoal - slack) {
            printf("MISSED: level %d: casual finishes %d%%, the goal is %d%%\n", n, r.casual, casualGoal);
            missed++;
        }
        if (r.skilled < GOAL_SKILLED - slack) {
            printf("MISSED: level %d: skilled finishes %d%%, the goal is %d%%\n", n, r.skilled, GOAL_SKILLED);
            missed++;
        }
        const auto before = rec.find(n - 1);
        if (n > LAST_EARLY_LEVEL && before != rec.end() &&
            r.skilled > before->second.skilled + GOAL_STEP_DOWN + slack) {
            printf("MISSED: level %d: skilled finishes %d%%, %d points more than level %d\n", n, r.skilled,
                   r.skilled - before->second.skilled, n - 1);
            missed++;
        }
        if (r.unfair > 0) {
            printf(
                "MISSED: level %d: %d places kill casual without a second's warning in more than half their "
                "passes\n",
                n, r.unfair);
            missed++;
        }
    }
    printf("%s\n", missed ? "fairness goals missed" : "every fairness goal holds");
    return missed;
}

// Reads a fairness file written by -o.
// Called by checkRegression and fairnessGoals.
std::map<int, Recorded> readRecorded(const char* path) {
    std::map<int, Recorded> r;
    FILE* f = fopen(path, "r");
    if (!f) return r;
    char line[160];
    Recorded x;
    int level = 0;
    while (fgets(line, sizeof(line), f))
        if (sscanf(line, "%d %d %d %lf %lf %d", &level, &x.casual, &x.skilled, &x.casualLives,
                   &x.skilledLives, &x.unfair) == 6)
            r[level] = x;
    fclose(f);
    return r;
}

// Compares with a recorded short form: a share may fall by `slack` points at
// most, the lives lost rise by REGRESSION_LIVES, and no new unfair place may
// appear. One line per level that got less fair.
// Called by fairnessMain with -r.
int checkRegression(const std::map<int, Recorded>& measured, const char* path, int slack) {
    const std::map<int, Recorded> rec = readRecorded(path);
    int worse = 0;
    for (const auto& [n, m] : measured) {
        const auto it = rec.find(n);
        if (it == rec.end()) {
            printf("WORSE: level %d is not recorded in %s\n", n, path);
            worse++;
            continue;
        }
        const Recorded& r = it->second;
        if (m.casual < r.casual - slack || m.skilled < r.skilled - slack ||
            m.casualLives > r.casualLives + REGRESSION_LIVES ||
            m.skilledLives > r.skilledLives + REGRESSION_LIVES || m.unfair > r.unfair) {
            printf(
                "WORSE: level %d: casual %d%% (recorded %d%%), skilled %d%% (%d%%), lives lost %.2f and %.2f "
                "(%.2f and %.2f), unfair places %d (%d)\n",
                n, m.casual, r.casual, m.skilled, r.skilled, m.casualLives, m.skilledLives, r.casualLives,
                r.skilledLives, m.unfair, r.unfair);
            worse++;
        }
    }
    printf("%s\n", worse ? "levels got less fair than recorded" : "no level got less fair than recorded");
    return worse;
}

} // namespace

// Measures every level named with both kinds of player, prints the table,
// writes the shares, and checks the goals or a recorded short form.
// Called by blompplaycheck -f.
int fairnessMain(const std::vector<int>& levels, const FairnessOptions& o) {
    const auto begin = std::chrono::steady_clock::now();
    const int slack = std::max(0, o.slack);
    openArchives();
    printf("%d tries per level and player, six lives, the checkpoints; places are %d columns, "
           "with the lives that came there\n",
           o.tries, PLACE_SPAN);
    printf("%-5s %-9s %-7s %5s %6s  %s\n", "level", "name", "player", "door", "lives",
           "where lives are lost");
    std::map<int, Fairness> casual, skilled;
    for (int n : levels) {
        casual[n] = measureFairness(n, playerKinds[0], o.tries);
        printFairness(n, playerKinds[0], casual[n]);
        skilled[n] = measureFairness(n, playerKinds[1], o.tries);
        printFairness(n, playerKinds[1], skilled[n]);
    }
    std::map<int, Recorded> measured;
    for (int n : levels)
        measured[n] = {percentOf(casual[n]), percentOf(skilled[n]), (double)casual[n].deaths / o.tries,
                       (double)skilled[n].deaths / o.tries, unfairCount(casual[n])};
    FILE* out = o.outFile ? fopen(o.outFile, "w") : nullptr;
    if (o.outFile && !out) printf("cannot write %s\n", o.outFile);
    if (out) {
        for (const auto& [n, r] : measured)
            fprintf(out, "%d %d %d %.2f %.2f %d\n", n, r.casual, r.skilled, r.casualLives, r.skilledLives,
                    r.unfair);
        fclose(out);
    }
    int failed = 0;
    if (o.recorded)
        failed += checkRegression(measured, o.recorded, slack);
    else if (o.slack >= 0)
        failed += checkGoals(measured, slack);
    closeArchives();
    freeLevel();
    printf("time: %.0f s\n", std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
    return failed ? 1 : 0;
}

// blompplaycheck -G: the goals checked on a file -o wrote (the full
// measurement runs in pieces and checks the whole afterwards).
// Called by blompplaycheck -G (scripts/fairness.sh).
int fairnessGoals(const char* path) {
    const std::map<int, Recorded> rec = readRecorded(path);
    if (rec.empty()) {
        printf("cannot read %s\n", path);
        return 1;
    }
    return checkGoals(rec, 0) ? 1 : 0;
}

namespace {

// Reads a fairness file ("level casual% skilled% ..." lines) into the shares of
// levels 1..16 of one player (column 0 casual, 1 skilled).
// Called by fairnessChart.
std::vector<double> readShares(const char* path, int player) {
    std::vector<double> v;
    FILE* f = path ? fopen(path, "r") : nullptr;
    if (!f) return v;
    int level = 0;
    double share[2];
    char line[160];
    while (fgets(line, sizeof(line), f))
        if (sscanf(line, "%d %lf %lf", &level, &share[0], &share[1]) == 3 && level >= 1 && level <= 16) {
            if ((int)v.size() < level) v.resize(level, 0);
            v[level - 1] = share[player];
        }
    fclose(f);
    return v;
}

} // namespace

// blompplaycheck -C: the share of tries finished by level, both players, before
// (dim) and after (bright).
// Called by blompplaycheck -C.
int fairnessChart(const char* png, const char* before, const char* after) {
    const std::vector<double> cb = readShares(before, 0), sb = readShares(before, 1);
    const std::vector<double> ca = readShares(after, 0), sa = readShares(after, 1);
    const ChartSeries series[] = {{&cb, 70, 110, 150, "CAS OLD"},
                                  {&sb, 150, 90, 90, "SKL OLD"},
                                  {&ca, 90, 190, 255, "CASUAL"},
                                  {&sa, 255, 64, 64, "SKILLED"}};
    openArchives(); // the tiles and the font come from the gfx archive
    const int ok = writeLines(png, "", series, 4, 100, 20);
    closePictures();
    closeArchives();
    if (!ok) printf("cannot write %s\n", png);
    return ok ? 0 : 1;
}
