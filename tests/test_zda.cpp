// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Resource archives: our writer against the game's reader, and archives that lie.
#include "platform/zda.h"
#include "platform/zdawrite.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <zlib.h>

namespace {

std::vector<uint8_t> bytesOf(const char* s) {
    return std::vector<uint8_t>(s, s + strlen(s));
}

// Appends a little-endian 32-bit value.
void put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; i++) v.push_back((uint8_t)(x >> (8 * i)));
}

// Builds an archive by hand, independent of our writer: each entry is given
// its stored (already scrambled) bytes, and the table's fields may be forced.
struct RawEntry {
    std::string name;
    std::vector<uint8_t> stored; // bytes before compression
    int32_t usize = -1;          // -1: the real size
    int32_t csize = -1;
    int32_t offset = -1;
    bool corrupt = false; // spoil the zlib stream
};

std::vector<uint8_t> rawArchive(const std::vector<RawEntry>& entries) {
    std::vector<std::vector<uint8_t>> z;
    for (const RawEntry& e : entries) {
        uLongf len = compressBound((uLong)e.stored.size());
        std::vector<uint8_t> c(len);
        compress(c.data(), &len, e.stored.data(), (uLong)e.stored.size());
        c.resize(len);
        if (e.corrupt) c[c.size() / 2] ^= 0x5A, c[2] ^= 0xFF;
        z.push_back(c);
    }
    std::vector<uint8_t> out = {'Z', 'D', 'A', 0};
    put32(out, (uint32_t)entries.size());
    put32(out, (uint32_t)(12 + 52 * entries.size()));
    uint32_t off = 0;
    for (size_t i = 0; i < entries.size(); i++) {
        char name[40] = {};
        memcpy(name, entries[i].name.c_str(), entries[i].name.size());
        out.insert(out.end(), name, name + 40);
        put32(out, (uint32_t)(entries[i].usize != -1 ? entries[i].usize : (int32_t)entries[i].stored.size()));
        put32(out, (uint32_t)(entries[i].csize != -1 ? entries[i].csize : (int32_t)z[i].size()));
        put32(out, (uint32_t)(entries[i].offset != -1 ? entries[i].offset : (int32_t)off));
        off += (uint32_t)z[i].size();
    }
    for (const auto& c : z) out.insert(out.end(), c.begin(), c.end());
    return out;
}

// Scrambles plain bytes the way archives store them.
std::vector<uint8_t> scrambled(const std::vector<uint8_t>& plain) {
    std::vector<uint8_t> s;
    uint8_t prev = 0xA6;
    for (uint8_t b : plain) {
        s.push_back(b ^ prev);
        prev = b;
    }
    return s;
}

class Zda : public ::testing::Test {
protected:
    ScratchDir dir;
    void SetUp() override { mkdir("data", 0755); }
    void TearDown() override { closeArchives(); }

    // Writes archive `archive` with our writer.
    void pack(int archive, const std::vector<std::pair<std::string, std::vector<uint8_t>>>& entries) {
        std::vector<ZdaItem> items;
        for (const auto& e : entries)
            items.push_back({e.first.c_str(), e.second.data(), (int32_t)e.second.size()});
        std::string path = std::string("data/") + archives[archive] + ".zda";
        ASSERT_EQ(writeZDA(path.c_str(), items.data(), (int)items.size()), 1);
    }
    void putRaw(int archive, const std::vector<uint8_t>& bytes) {
        writeFile(std::string("data/") + archives[archive] + ".zda", bytes);
    }
    // True when the lookup gives a buffer.
    bool found(int archive, const char* name, const char* ext) {
        bool f = false;
        get(archive, name, ext, &f);
        return f;
    }
    // Looks up an entry and returns its bytes; `found` says whether a buffer came back.
    std::vector<uint8_t> get(int archive, const char* name, const char* ext, bool* found = nullptr) {
        int32_t size = -7;
        uint8_t* data = loadZDAFile(archive, name, ext, &size);
        if (found) *found = data != nullptr;
        std::vector<uint8_t> out;
        if (data) out.assign(data, data + size);
        free(data);
        return out;
    }
};

TEST_F(Zda, WriterAndReaderRoundTrip) {
    std::vector<uint8_t> big(70000);
    for (size_t i = 0; i < big.size(); i++) big[i] = (uint8_t)(i * 7 + (i >> 9));
    pack(ARC_GFX, {{"logo.bmp", bytesOf("LOGO")}, {"x.bmp", {0}}, {"big.bmp", big}});
    pack(ARC_SOUND, {{"klonk.wav", bytesOf("knock knock")}});
    openArchives();
    EXPECT_EQ(get(ARC_GFX, "logo", "bmp"), bytesOf("LOGO"));
    EXPECT_EQ(get(ARC_GFX, "x", "bmp"), std::vector<uint8_t>{0});
    EXPECT_EQ(get(ARC_GFX, "big", "bmp"), big);
    EXPECT_EQ(get(ARC_SOUND, "klonk", "wav"), bytesOf("knock knock"));
    EXPECT_FALSE(found(ARC_GFX, "klonk", "wav"));
}

TEST_F(Zda, NamesAreCaseSensitiveAndTheFirstOfTwoWins) {
    pack(ARC_MAPS, {{"plan1.bin", bytesOf("first")}, {"plan1.bin", bytesOf("second")}});
    openArchives();
    EXPECT_EQ(get(ARC_MAPS, "plan1", "bin"), bytesOf("first"));
    EXPECT_FALSE(found(ARC_MAPS, "PLAN1", "bin"));
    EXPECT_FALSE(found(ARC_MAPS, "plan1", "BIN"));
    EXPECT_FALSE(found(ARC_MAPS, "plan", "bin"));
}

TEST_F(Zda, AMissingArchiveHasNoEntriesWhileTheOthersWork) {
    pack(ARC_MUSIC, {{"turbochip.xm", bytesOf("music")}});
    openArchives();
    EXPECT_EQ(zda_file[ARC_GFX], nullptr);
    EXPECT_EQ(zda_full_header[ARC_GFX], nullptr);
    EXPECT_FALSE(found(ARC_GFX, "logo", "bmp"));
    EXPECT_EQ(get(ARC_MUSIC, "turbochip", "xm"), bytesOf("music"));
    closeArchives();
    for (int i = 0; i < NUM_ARCHIVES; i++) {
        EXPECT_EQ(zda_file[i], nullptr);
        EXPECT_EQ(zda_full_header[i], nullptr);
    }
}

TEST_F(Zda, TheRestoreChainsOverRestoredBytesFromTheSeed) {
    // Stored bytes chosen by hand: the first with the seed, each later one with
    // the restored byte before it, never with the stored byte before it.
    std::vector<uint8_t> stored = {0xA6 ^ 'A', 'A' ^ 'B', 'B' ^ 'C', 0x00};
    putRaw(ARC_GFX, rawArchive({{"abc.bmp", stored}}));
    openArchives();
    EXPECT_EQ(get(ARC_GFX, "abc", "bmp"), bytesOf("ABCC"));
}

TEST_F(Zda, OurWriterStoresEachByteXorThePlainByteBefore) {
    std::vector<uint8_t> plain = bytesOf("Blomp runs!");
    pack(ARC_GFX, {{"t.bmp", plain}});
    std::vector<uint8_t> file = readFile("data/gfx.zda");
    ASSERT_GE(file.size(), 64u);
    std::vector<uint8_t> inflated(plain.size());
    uLongf len = (uLongf)inflated.size();
    ASSERT_EQ(uncompress(inflated.data(), &len, file.data() + 64, (uLong)(file.size() - 64)), Z_OK);
    EXPECT_EQ(inflated, scrambled(plain));
}

TEST_F(Zda, OffsetsCountFromTheEndOfTheTable) {
    std::vector<uint8_t> a = bytesOf("first entry"), b = bytesOf("second");
    putRaw(ARC_GFX, rawArchive({{"a.bmp", scrambled(a)}, {"b.bmp", scrambled(b)}}));
    openArchives();
    const uint8_t* h = zda_full_header[ARC_GFX];
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(gp_zda_headersize(h), 12 + 2 * 52);
    EXPECT_EQ(gp_zda_offset(h, "a.bmp"), 12 + 2 * 52);
    EXPECT_EQ(get(ARC_GFX, "a", "bmp"), a);
    EXPECT_EQ(get(ARC_GFX, "b", "bmp"), b);
}

TEST_F(Zda, ArchivesThatLieFindNothingAndReadNothingOutside) {
    std::vector<uint8_t> payload = scrambled(bytesOf("payload payload payload"));
    RawEntry corrupt{"corrupt.bmp", payload};
    corrupt.corrupt = true;
    RawEntry past{"past.bmp", payload};
    past.offset = 100000;
    RawEntry huge{"huge.bmp", payload};
    huge.csize = 0x7FFFFFF0;
    RawEntry small{"small.bmp", payload};
    small.usize = 3; // inflating needs more room than the table admits
    RawEntry giant{"giant.bmp", payload};
    giant.usize = 0x7FFFFFFF;
    RawEntry negative{"neg.bmp", payload};
    negative.offset = -40;
    RawEntry noSize{"u.bmp", payload, 0};       // an uncompressed size of 0 ...
    RawEntry noPacked{"c.bmp", payload, -1, 0}; // ... or a compressed size of 0 means absent
    RawEntry good{"good.bmp", payload};
    putRaw(ARC_GFX, rawArchive({corrupt, past, huge, small, giant, negative, noSize, noPacked, good}));
    openArchives();
    for (const char* name : {"corrupt", "past", "huge", "small", "giant", "neg", "u", "c"})
        EXPECT_FALSE(found(ARC_GFX, name, "bmp")) << name;
    EXPECT_EQ(get(ARC_GFX, "good", "bmp"), bytesOf("payload payload payload"));
}

TEST_F(Zda, BrokenTablesAreRefusedWhole) {
    std::vector<uint8_t> raw = rawArchive({{"a.bmp", scrambled(bytesOf("x"))}});
    // An entry count whose table would not fit in H.
    std::vector<uint8_t> tooMany = raw;
    tooMany[4] = 200;
    putRaw(ARC_GFX, tooMany);
    // H beyond the end of the file.
    std::vector<uint8_t> longH = raw;
    longH[9] = 0x10;
    putRaw(ARC_SOUND, longH);
    // A file cut inside its table.
    putRaw(ARC_MUSIC, std::vector<uint8_t>(raw.begin(), raw.begin() + 30));
    // A file of only a few bytes.
    putRaw(ARC_MAPS, std::vector<uint8_t>(raw.begin(), raw.begin() + 5));
    // Not "ZDA" and a zero byte.
    std::vector<uint8_t> magic = raw;
    magic[3] = '!';
    putRaw(ARC_MAPSDE, magic);
    EXPECT_EQ(gp_zda_headersize(magic.data()), 0);
    EXPECT_EQ(gp_zda_csize(nullptr, "a.bmp"), 0);
    openArchives();
    for (int a : {ARC_GFX, ARC_SOUND, ARC_MUSIC, ARC_MAPS, ARC_MAPSDE})
        EXPECT_EQ(zda_full_header[a], nullptr) << a;
    EXPECT_FALSE(found(ARC_GFX, "a", "bmp"));
}

TEST_F(Zda, ATruncatedArchiveKeepsTheEntriesThatAreWhole) {
    std::vector<uint8_t> big(5000);
    for (size_t i = 0; i < big.size(); i++) big[i] = (uint8_t)(i * 131 + (i >> 3));
    pack(ARC_GFX, {{"one.bmp", bytesOf("whole")}, {"two.bmp", big}});
    std::vector<uint8_t> file = readFile("data/gfx.zda");
    file.resize(file.size() - 100);
    writeFile("data/gfx.zda", file);
    openArchives();
    EXPECT_EQ(get(ARC_GFX, "one", "bmp"), bytesOf("whole"));
    EXPECT_FALSE(found(ARC_GFX, "two", "bmp"));
}

TEST_F(Zda, TheReaderReopensAFileThatWasClosed) {
    pack(ARC_GFX, {{"a.bmp", bytesOf("again")}});
    openArchives();
    closeID(ARC_GFX);
    EXPECT_EQ(get(ARC_GFX, "a", "bmp"), bytesOf("again"));
}

TEST_F(Zda, TheWriterRefusesNamesThatDoNotFitAndEmptyEntries) {
    std::vector<uint8_t> x = bytesOf("x");
    std::string longName(40, 'n');
    ZdaItem bad1[] = {{longName.c_str(), x.data(), 1}};
    EXPECT_EQ(writeZDA("data/gfx.zda", bad1, 1), 0);
    ZdaItem bad2[] = {{"empty.bmp", x.data(), 0}};
    EXPECT_EQ(writeZDA("data/gfx.zda", bad2, 1), 0);
    EXPECT_FALSE(fileExists("data/gfx.zda"));
}

TEST_F(Zda, PlainFiles) {
    writeFile("cfg.txt", bytesOf("mus_volume=50\n"));
    int32_t size = -1;
    uint8_t* data = loadBINFile("cfg.txt", &size);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(size, 14);
    EXPECT_EQ(memcmp(data, "mus_volume=50\n", 14), 0);
    free(data);
    writeFile("empty.txt", {});
    size = -1;
    EXPECT_EQ(loadBINFile("empty.txt", &size), nullptr);
    EXPECT_EQ(loadBINFile("missing.txt", &size), nullptr);
    EXPECT_EQ(size, -1); // untouched
}

TEST_F(Zda, TheToolPacksListsAndExtracts) {
    writeFile("hello.bmp", bytesOf("hello there"));
    writeFile("plan1.bin", bytesOf("map!"));
    int status = -1;
    runCommand(std::string(ZDATOOL_BINARY) + " pack out.zda hello.bmp plan1.bin", &status);
    ASSERT_EQ(status, 0);
    std::string listing = runCommand(std::string(ZDATOOL_BINARY) + " list out.zda", &status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(listing.find("hello.bmp"), std::string::npos);
    EXPECT_NE(listing.find("plan1.bin"), std::string::npos);
    mkdir("out", 0755);
    runCommand(std::string(ZDATOOL_BINARY) + " extract out.zda out", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readFile("out/hello.bmp"), bytesOf("hello there"));
    EXPECT_EQ(readFile("out/plan1.bin"), bytesOf("map!"));
    runCommand(std::string(ZDATOOL_BINARY) + " extract out.zda out nothere.bmp 2>/dev/null", &status);
    EXPECT_EQ(status, 1);
    runCommand(std::string(ZDATOOL_BINARY) + " list cfg.txt 2>/dev/null", &status);
    EXPECT_EQ(status, 1);
}

} // namespace
