// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// The song reader. A song text is a list of statements, one per line, each line
// starting in the first column; indented lines continue the statement above.
// Tracks are one channel's notes for one pattern; patterns put tracks side by
// side, each shifted by some semitones if wanted, and the order list plays patterns.
#include "xmsong.h"
#include "xmsynth.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

// One word of the text and the line it stands on, for messages.
struct Token {
    std::string text;
    int line;
};
using Tokens = std::vector<Token>;

// A drum letter: which instrument it strikes and on which note.
struct DrumKey {
    int instr; // 1-based
    int note;
};

// Everything the reader has learnt so far about the song.
struct SongState {
    std::map<std::string, int> instruments; // name to 1-based number
    std::map<char, DrumKey> drums;
    std::map<std::string, Tokens> tracks; // bodies with repeats already unrolled
    std::map<std::string, int> patterns;  // name to pattern number
    int rows = 64;
};

// Semitone of a note letter within its octave, a to g.
constexpr int letterSemitone[7] = {9, 11, 0, 2, 4, 5, 7};

// Builds a message naming the line; the reader then stops.
bool fail(std::string& err, int line, const std::string& what) {
    char buf[32];
    snprintf(buf, sizeof buf, "line %d: ", line);
    err = buf + what;
    return false;
}

// Reads a whole decimal number that fills the text; false for anything else.
bool readInt(const std::string& s, int& v) {
    if (s.empty() || s.size() > 6) return false;
    for (char c : s)
        if (!isdigit(static_cast<unsigned char>(c))) return false;
    v = std::atoi(s.c_str());
    return true;
}

// Splits the text into statements: each is the tokens of its first line and of the
// indented lines after it. Brackets of repeats and octave steps are tokens of their own.
bool splitStatements(const std::string& text, std::vector<Tokens>& out, std::string& err) {
    int line = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string l = text.substr(pos, end - pos);
        pos = end + 1;
        line++;
        // A comment starts with '#' at the start of a word; inside a word it is a sharp.
        for (size_t i = 0; i < l.size(); i++)
            if (l[i] == '#' && (i == 0 || isspace(static_cast<unsigned char>(l[i - 1])))) l.resize(i);
        bool indented = !l.empty() && (l[0] == ' ' || l[0] == '\t');
        Tokens words;
        std::string cur;
        for (size_t i = 0; i <= l.size(); i++) {
            char c = i < l.size() ? l[i] : ' ';
            if (isspace(static_cast<unsigned char>(c)) || c == '[' || c == ']' || c == '<' || c == '>') {
                if (!cur.empty()) words.push_back({cur, line});
                cur.clear();
                if (c == '[' || c == '<' || c == '>') words.push_back({std::string(1, c), line});
                if (c == ']') cur = "]"; // the repeat count follows the bracket
            } else {
                cur += c;
            }
        }
        if (words.empty()) continue;
        if (indented) {
            if (out.empty()) return fail(err, line, "indented line with nothing to continue");
            out.back().insert(out.back().end(), words.begin(), words.end());
        } else {
            out.push_back(words);
        }
    }
    return true;
}

// Unrolls "[ ... ]N" repeats (N defaults to 2), nested as deep as wanted.
bool unroll(const Tokens& in, size_t& i, Tokens& out, bool inside, std::string& err) {
    while (i < in.size()) {
        const Token& t = in[i++];
        if (t.text == "[") {
            Tokens body;
            int line = t.line;
            if (!unroll(in, i, body, true, err)) return false;
            const std::string& close = in[i - 1].text;
            int count = 2;
            if (close.size() > 1 && (!readInt(close.substr(1), count) || count < 1 || count > 64))
                return fail(err, line, "bad repeat count " + close);
            for (int k = 0; k < count; k++) out.insert(out.end(), body.begin(), body.end());
        } else if (t.text[0] == ']') {
            if (!inside) return fail(err, t.line, "] without [");
            return true;
        } else {
            out.push_back(t);
        }
    }
    if (inside) return fail(err, in.back().line, "[ without ]");
    return true;
}

// Reads a note name such as "c", "f#" or "b-" at the start of s; returns the number of
// characters used (0 when s is no note) and the semitone (may be -1 or 12).
size_t readNoteName(const std::string& s, int& semi) {
    if (s.empty() || s[0] < 'a' || s[0] > 'g') return 0;
    semi = letterSemitone[s[0] - 'a'];
    if (s.size() > 1 && (s[1] == '#' || s[1] == '+')) return semi++, 2;
    if (s.size() > 1 && s[1] == '-') return semi--, 2;
    return 1;
}

// Reads a length in rows after a note, rest or drum ("4", "6." for dotted, empty for
// the default).
bool readLength(const std::string& s, int deflt, int& len) {
    if (s.empty()) return len = deflt, true;
    bool dotted = s.back() == '.';
    std::string digits = dotted ? s.substr(0, s.size() - 1) : s;
    if (!readInt(digits, len) || len < 1) return false;
    if (dotted) {
        if (len % 2) return false;
        len += len / 2;
    }
    return true;
}

// Reads an effect written as its tracker letter or digit and two hex digits ("047", "A0F").
bool readEffect(const std::string& s, int& fx, int& param) {
    if (s.size() != 3) return false;
    char c = s[0];
    if (isdigit(static_cast<unsigned char>(c)))
        fx = c - '0';
    else if (c >= 'A' && c <= 'Z')
        fx = c - 'A' + 10;
    else
        return false;
    char* end = nullptr;
    std::string hex = s.substr(1);
    param = static_cast<int>(std::strtol(hex.c_str(), &end, 16));
    return *end == 0 && isxdigit(static_cast<unsigned char>(hex[0])) &&
           isxdigit(static_cast<unsigned char>(hex[1]));
}

// Where a track is while being written into a pattern column.
struct TrackCursor {
    int row = 0;
    int octave = 4;
    int length = 4;
    int volume = -1; // -1 leaves the volume column empty
    int instr = 0;
    int stickyFx = -1, stickyParam = 0; // effect repeated on every row of every note
    int onceFx = -1, onceParam = 0;     // effect for the first row of the next event only
};

// Writes one event of len rows: the first cell gets note, instrument and volume, every row
// of a note gets the sticky effect.
void putEvent(XmPattern& p, int channels, int column, TrackCursor& c, int note, int instr, int len,
              bool tone) {
    for (int r = 0; r < len; r++) {
        XmCell& cell = p.cells[(c.row + r) * channels + column];
        if (r == 0 && note) {
            cell.note = static_cast<uint8_t>(note);
            if (instr) cell.instr = static_cast<uint8_t>(instr);
            if (c.volume >= 0 && note != XM_NOTE_OFF) cell.vol = static_cast<uint8_t>(0x10 + c.volume);
        }
        if (tone && c.stickyFx >= 0) {
            cell.fx = static_cast<uint8_t>(c.stickyFx);
            cell.param = static_cast<uint8_t>(c.stickyParam);
        }
        if (r == 0 && c.onceFx >= 0) {
            cell.fx = static_cast<uint8_t>(c.onceFx);
            cell.param = static_cast<uint8_t>(c.onceParam);
        }
    }
    c.onceFx = -1;
    c.row += len;
}

// Writes a track into one column of a pattern, its notes shifted by transpose semitones.
bool writeTrack(const SongState& st, const Tokens& body, int transpose, XmPattern& p, int channels,
                int column, std::string& err) {
    TrackCursor c;
    for (const Token& t : body) {
        const std::string& s = t.text;
        std::string rest = s.substr(1);
        int n = 0, fx = 0, param = 0, semi = 0, len = 0;
        if (s == "|") continue; // bar line, only for the reader's eye
        if (s == ">" || s == "<") {
            c.octave += s == ">" ? 1 : -1;
        } else if (s[0] == 'o' && readInt(rest, n) && n <= 7) {
            c.octave = n;
        } else if (s[0] == 'l' && readInt(rest, n) && n >= 1) {
            c.length = n;
        } else if (s[0] == 'v' && (rest == "-" || (readInt(rest, n) && n <= 64))) {
            c.volume = rest == "-" ? -1 : n;
        } else if (s[0] == '@') {
            auto it = st.instruments.find(rest);
            if (it == st.instruments.end()) return fail(err, t.line, "unknown instrument " + rest);
            c.instr = it->second;
        } else if (s[0] == '~' && (rest == "-" || readEffect(rest, fx, param))) {
            c.stickyFx = rest == "-" ? -1 : fx;
            c.stickyParam = param;
        } else if (s[0] == '%' && readEffect(rest, fx, param)) {
            c.onceFx = fx;
            c.onceParam = param;
        } else if ((s[0] == 'r' || s[0] == 'x') && readLength(rest, c.length, len)) {
            if (c.row + len > p.rows) return fail(err, t.line, "track runs past the end of the pattern");
            putEvent(p, channels, column, c, s[0] == 'x' ? XM_NOTE_OFF : 0, 0, len, false);
        } else if (s[0] >= 'A' && s[0] <= 'Z' && readLength(rest, c.length, len)) {
            auto it = st.drums.find(s[0]);
            if (it == st.drums.end()) return fail(err, t.line, std::string("unknown drum ") + s[0]);
            if (c.row + len > p.rows) return fail(err, t.line, "track runs past the end of the pattern");
            putEvent(p, channels, column, c, it->second.note, it->second.instr, len, false);
        } else if (size_t used = readNoteName(s, semi)) {
            if (!readLength(s.substr(used), c.length, len)) return fail(err, t.line, "bad length in " + s);
            if (!c.instr) return fail(err, t.line, "note before any @instrument");
            int note = c.octave * 12 + semi + 1 + transpose;
            if (note < 1 || note > 96) return fail(err, t.line, "note out of range: " + s);
            if (c.row + len > p.rows) return fail(err, t.line, "track runs past the end of the pattern");
            putEvent(p, channels, column, c, note, c.instr, len, true);
        } else {
            return fail(err, t.line, "cannot read " + s);
        }
    }
    return true;
}

// inst NAME WAVE key=value ...
bool readInstrument(const Tokens& st, SongState& song, XmModule& mod, std::string& err) {
    int line = st[0].line;
    if (st.size() < 3) return fail(err, line, "inst needs a name and a wave");
    if (song.instruments.count(st[1].text)) return fail(err, line, "instrument defined twice: " + st[1].text);
    if (mod.instruments.size() >= XM_MAX_INSTRUMENTS) return fail(err, line, "too many instruments");
    std::map<std::string, std::string> settings;
    for (size_t i = 3; i < st.size(); i++) {
        size_t eq = st[i].text.find('=');
        if (eq == std::string::npos || eq == 0)
            return fail(err, st[i].line, "expected key=value: " + st[i].text);
        settings[st[i].text.substr(0, eq)] = st[i].text.substr(eq + 1);
    }
    XmInstrument in;
    in.name = st[1].text;
    std::string why;
    if (!xmSynth(st[2].text, settings, in, why)) return fail(err, line, in.name + ": " + why);
    mod.instruments.push_back(in);
    song.instruments[in.name] = static_cast<int>(mod.instruments.size());
    return true;
}

// drum LETTER INSTRUMENT [NOTE], the note as letter and octave ("c4", "g#3").
bool readDrum(const Tokens& st, SongState& song, std::string& err) {
    int line = st[0].line;
    if (st.size() < 3 || st.size() > 4 || st[1].text.size() != 1 ||
        !isupper(static_cast<unsigned char>(st[1].text[0])))
        return fail(err, line, "drum needs a capital letter and an instrument");
    auto it = song.instruments.find(st[2].text);
    if (it == song.instruments.end()) return fail(err, line, "unknown instrument " + st[2].text);
    int semi = 0, octave = 4;
    if (st.size() == 4) {
        size_t used = readNoteName(st[3].text, semi);
        if (!used || !readInt(st[3].text.substr(used), octave) || octave > 7)
            return fail(err, line, "bad drum note " + st[3].text);
    }
    int note = octave * 12 + semi + 1;
    if (note < 1 || note > 96) return fail(err, line, "bad drum note");
    song.drums[st[1].text[0]] = {it->second, note};
    return true;
}

// pat NAME [rows=N] = TRACK[+-N] ... with "-" for a silent channel.
bool readPattern(const Tokens& st, SongState& song, XmModule& mod, std::string& err) {
    int line = st[0].line;
    if (st.size() < 3) return fail(err, line, "pat needs a name, = and tracks");
    if (song.patterns.count(st[1].text)) return fail(err, line, "pattern defined twice: " + st[1].text);
    XmPattern p;
    p.rows = song.rows;
    size_t i = 2;
    for (; i < st.size() && st[i].text != "="; i++) {
        const std::string& s = st[i].text;
        if (s.compare(0, 5, "rows=") || !readInt(s.substr(5), p.rows) || p.rows < 1 || p.rows > XM_MAX_ROWS)
            return fail(err, st[i].line, "bad pattern option " + s);
    }
    if (i == st.size()) return fail(err, line, "pat without =");
    i++;
    if (st.size() - i > static_cast<size_t>(mod.channels))
        return fail(err, line, "more tracks than channels");
    p.cells.assign(p.rows * mod.channels, XmCell());
    for (int ch = 0; i < st.size(); i++, ch++) {
        const std::string& ref = st[i].text;
        if (ref == "-") continue;
        size_t sign = ref.find_first_of("+-");
        std::string name = ref.substr(0, sign);
        int shift = 0;
        if (sign != std::string::npos) {
            if (!readInt(ref.substr(sign + 1), shift) || shift > 48)
                return fail(err, line, "bad transposition in " + ref);
            if (ref[sign] == '-') shift = -shift;
        }
        auto it = song.tracks.find(name);
        if (it == song.tracks.end()) return fail(err, line, "unknown track " + name);
        if (!writeTrack(song, it->second, shift, p, mod.channels, ch, err)) return false;
    }
    if (mod.patterns.size() >= XM_MAX_PATTERNS) return fail(err, line, "too many patterns");
    mod.patterns.push_back(p);
    song.patterns[st[1].text] = static_cast<int>(mod.patterns.size()) - 1;
    return true;
}

// order NAME NAME*N ...
bool readOrder(const Tokens& st, SongState& song, XmModule& mod, std::string& err) {
    for (size_t i = 1; i < st.size(); i++) {
        const std::string& s = st[i].text;
        size_t star = s.find('*');
        int count = 1;
        if (star != std::string::npos && (!readInt(s.substr(star + 1), count) || count < 1))
            return fail(err, st[i].line, "bad repeat in " + s);
        auto it = song.patterns.find(s.substr(0, star));
        if (it == song.patterns.end()) return fail(err, st[i].line, "unknown pattern " + s);
        for (int k = 0; k < count; k++) mod.orders.push_back(it->second);
        if (mod.orders.size() > XM_MAX_ORDERS) return fail(err, st[i].line, "order list too long");
    }
    return true;
}

// A setting of the whole song: name, its bounds and where it goes.
struct SongNumber {
    const char* name;
    int lo, hi;
    int XmModule::*field;
};

// Scales every instrument's volume and every volume written in the patterns by a gain
// in dB, so a whole song can be made louder or softer without touching its voices.
void applyGain(XmModule& mod, double db) {
    double g = std::pow(10.0, db / 20.0);
    auto scaled = [g](int v) { return std::min(64, static_cast<int>(std::lround(v * g))); };
    for (XmInstrument& in : mod.instruments) in.volume = scaled(in.volume);
    for (XmPattern& p : mod.patterns)
        for (XmCell& c : p.cells)
            if (c.vol >= 0x10 && c.vol <= 0x50) c.vol = static_cast<uint8_t>(0x10 + scaled(c.vol - 0x10));
}

const SongNumber songNumbers[] = {
    {"speed", 1, 31, &XmModule::speed},
    {"bpm", 32, 255, &XmModule::bpm},
    {"channels", 1, XM_MAX_CHANNELS, &XmModule::channels},
};

} // namespace

// Reads a song text into a module. Called by the music builder and the tests.
bool xmParseSong(const std::string& text, XmModule& mod, std::string& err) {
    mod = XmModule();
    SongState song;
    std::vector<Tokens> statements;
    double gainDb = 0;
    if (!splitStatements(text, statements, err)) return false;
    for (const Tokens& st : statements) {
        const std::string& key = st[0].text;
        int line = st[0].line, v = 0;
        const SongNumber* number = nullptr;
        for (const SongNumber& sn : songNumbers)
            if (key == sn.name) number = &sn;
        if (number) {
            if (st.size() != 2 || !readInt(st[1].text, v) || v < number->lo || v > number->hi)
                return fail(err, line, "bad " + key);
            if (number->field == &XmModule::channels && !mod.patterns.empty())
                return fail(err, line, "channels must come before the patterns");
            mod.*(number->field) = v;
        } else if (key == "title") {
            mod.name.clear();
            for (size_t i = 1; i < st.size(); i++) mod.name += (i > 1 ? " " : "") + st[i].text;
        } else if (key == "gain") {
            char* end = nullptr;
            if (st.size() == 2) gainDb = std::strtod(st[1].text.c_str(), &end);
            if (st.size() != 2 || *end || gainDb < -40 || gainDb > 12) return fail(err, line, "bad gain");
        } else if (key == "rows") {
            if (st.size() != 2 || !readInt(st[1].text, song.rows) || song.rows < 1 || song.rows > XM_MAX_ROWS)
                return fail(err, line, "bad rows");
        } else if (key == "inst") {
            if (!readInstrument(st, song, mod, err)) return false;
        } else if (key == "drum") {
            if (!readDrum(st, song, err)) return false;
        } else if (key == "track") {
            if (st.size() < 2) return fail(err, line, "track needs a name");
            const std::string& name = st[1].text;
            if (name.find_first_of("+-*") != std::string::npos)
                return fail(err, line, "bad track name " + name);
            if (song.tracks.count(name)) return fail(err, line, "track defined twice: " + name);
            Tokens body(st.begin() + 2, st.end()), flat;
            size_t i = 0;
            if (!unroll(body, i, flat, false, err)) return false;
            song.tracks[name] = flat;
        } else if (key == "pat") {
            if (!readPattern(st, song, mod, err)) return false;
        } else if (key == "order") {
            if (!readOrder(st, song, mod, err)) return false;
        } else {
            return fail(err, line, "unknown statement " + key);
        }
    }
    if (mod.orders.empty()) return fail(err, 0, "the song has no order list");
    applyGain(mod, gainDb);
    return true;
}
