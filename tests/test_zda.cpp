// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Blomp developers
// Resource archives: our writer against the game's reader, archives that lie, the
// archive tool, and the archives the build makes. (Plain files are read through the
// same loader by the configuration, the test level and the archive tool, whose tests
// cover it.)
#include "2platform/zda.h"
#include "2platform/zdawrite.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
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
    std::string name;            // its stem: every entry is a .bmp
    std::vector<uint8_t> stored; // bytes before compression
    int32_t usize = -1;          // -1: the real size
    int32_t csize = -1;
    int32_t offset = -1;
    bool corrupt = false; // spoil the zlib stream
};

std::vector<uint8_t> rawArchive(const std::vector<RawEntry>& entries) {
    std::vector<uint8_t> out = {'Z', 'D', 'A', 0}, data; // the table, then the data after it
    put32(out, (uint32_t)entries.size());
    put32(out, (uint32_t)(12 + 52 * entries.size()));
    for (const RawEntry& e : entries) {
        uLongf len = compressBound((uLong)e.stored.size());
        std::vector<uint8_t> c(len);
        compress(c.data(), &len, e.stored.data(), (uLong)e.stored.size());
        c.resize(len);
        if (e.corrupt) c[c.size() / 2] ^= 0x5A, c[2] ^= 0xFF;
        char name[40] = {};
        snprintf(name, sizeof name, "%s.bmp", e.name.c_str());
        out.insert(out.end(), name, name + 40);
        put32(out, (uint32_t)(e.usize != -1 ? e.usize : (int32_t)e.stored.size()));
        put32(out, (uint32_t)(e.csize != -1 ? e.csize : (int32_t)c.size()));
        put32(out, (uint32_t)(e.offset != -1 ? e.offset : (int32_t)data.size()));
        data.insert(data.end(), c.begin(), c.end());
    }
    out.insert(out.end(), data.begin(), data.end());
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
    void pack(int archive, const ArchiveFiles& entries) {
        ASSERT_TRUE(writeDataArchive(archives[archive], entries));
    }
    void putRaw(int archive, const std::vector<uint8_t>& bytes) {
        writeFile(std::string("data/") + archives[archive] + ".zda", bytes);
    }
    // Looks up an entry: its bytes, or nothing when no buffer came back.
    std::optional<std::vector<uint8_t>> get(int archive, const char* name, const char* ext) {
        int32_t size = -7;
        uint8_t* data = loadZDAFile(archive, name, ext, &size);
        if (!data) return std::nullopt;
        std::vector<uint8_t> out(data, data + size);
        free(data);
        return out;
    }
};

// Our writer against our reader: exact names only, the first of two equal names,
// a missing archive beside working ones, a closed file reopened, all closed at the end.
TEST_F(Zda, WriterAndReaderRoundTrip) {
    std::vector<uint8_t> big(70000);
    for (size_t i = 0; i < big.size(); i++) big[i] = (uint8_t)(i * 7 + (i >> 9));
    pack(ARC_GFX,
         {{"logo.bmp", bytesOf("LOGO")}, {"x.bmp", {0}}, {"big.bmp", big}, {"logo.bmp", bytesOf("2nd")}});
    pack(ARC_SOUND, {{"klonk.wav", bytesOf("knock knock")}});
    openArchives();
    EXPECT_EQ(get(ARC_GFX, "logo", "bmp"), bytesOf("LOGO"));
    EXPECT_EQ(get(ARC_GFX, "x", "bmp"), std::vector<uint8_t>{0});
    EXPECT_EQ(get(ARC_GFX, "big", "bmp"), big);
    EXPECT_EQ(get(ARC_SOUND, "klonk", "wav"), bytesOf("knock knock"));
    const char* const absent[][2] = {{"klonk", "wav"}, {"LOGO", "bmp"}, {"logo", "BMP"}, {"log", "bmp"}};
    for (const auto& a : absent) EXPECT_FALSE(get(ARC_GFX, a[0], a[1])) << a[0] << "." << a[1];
    EXPECT_EQ(zda_full_header[ARC_MUSIC], nullptr);
    EXPECT_FALSE(get(ARC_MUSIC, "turbochip", "xm"));
    closeID(ARC_GFX);
    EXPECT_EQ(get(ARC_GFX, "logo", "bmp"), bytesOf("LOGO"));
    closeArchives();
    for (int i = 0; i < NUM_ARCHIVES; i++) {
        EXPECT_EQ(zda_file[i], nullptr);
        EXPECT_EQ(zda_full_header[i], nullptr);
    }
}

// The file format, checked against archives made by hand: offsets count from the end
// of the table, and each stored byte is the plain byte xor the plain byte before it
// (the first xor the seed), both when our reader restores and when our writer stores.
TEST_F(Zda, TheFormatMatchesArchivesMadeByHand) {
    const std::vector<uint8_t> stored = {0xA6 ^ 'A', 'A' ^ 'B', 'B' ^ 'C', 0x00}, second = bytesOf("second");
    putRaw(ARC_GFX, rawArchive({{"abc", stored}, {"b", scrambled(second)}}));
    openArchives();
    ASSERT_NE(zda_full_header[ARC_GFX], nullptr);
    EXPECT_EQ(gp_zda_offset(zda_full_header[ARC_GFX], "abc.bmp"), 12 + 2 * 52);
    EXPECT_EQ(get(ARC_GFX, "abc", "bmp"), bytesOf("ABCC"));
    EXPECT_EQ(get(ARC_GFX, "b", "bmp"), second);

    const std::vector<uint8_t> plain = bytesOf("Blomp runs!");
    pack(ARC_SOUND, {{"t.wav", plain}});
    std::vector<uint8_t> file = readFile("data/sound.zda");
    ASSERT_GE(file.size(), 64u);
    std::vector<uint8_t> inflated(plain.size());
    uLongf len = (uLongf)inflated.size();
    ASSERT_EQ(uncompress(inflated.data(), &len, file.data() + 64, (uLong)(file.size() - 64)), Z_OK);
    EXPECT_EQ(inflated, scrambled(plain));
}

TEST_F(Zda, ArchivesThatLieFindNothingAndReadNothingOutside) {
    const std::vector<uint8_t> payload = scrambled(bytesOf("payload payload payload"));
    std::vector<RawEntry> entries = {
        {"corrupt", payload, -1, -1, -1, true},
        {"past", payload, -1, -1, 100000},
        {"huge", payload, -1, 0x7FFFFFF0},
        {"small", payload, 3}, // inflating needs more room than the table admits
        {"giant", payload, 0x7FFFFFFF},
        {"neg", payload, -1, -1, -40},
        {"u", payload, 0},     // an uncompressed size of 0 ...
        {"c", payload, -1, 0}, // ... or a compressed size of 0 means absent
    };
    entries.push_back({"good", payload});
    putRaw(ARC_GFX, rawArchive(entries));
    openArchives();
    for (size_t i = 0; i + 1 < entries.size(); i++)
        EXPECT_FALSE(get(ARC_GFX, entries[i].name.c_str(), "bmp")) << entries[i].name;
    EXPECT_EQ(get(ARC_GFX, "good", "bmp"), bytesOf("payload payload payload"));
}

TEST_F(Zda, BrokenTablesAreRefusedWhole) {
    const std::vector<uint8_t> raw = rawArchive({{"a", scrambled(bytesOf("x"))}});
    // 2 and 3 are cut: inside the table, after a few bytes
    std::vector<uint8_t> broken[] = {
        raw, raw, {raw.begin(), raw.begin() + 30}, {raw.begin(), raw.begin() + 5}, raw};
    broken[0][4] = 200;  // an entry count whose table would not fit in H
    broken[1][9] = 0x10; // H beyond the end of the file
    broken[4][3] = '!';  // not "ZDA" and a zero byte
    const int slots[] = {ARC_GFX, ARC_SOUND, ARC_MUSIC, ARC_MAPS, ARC_MAPSDE};
    for (int i = 0; i < 5; i++) putRaw(slots[i], broken[i]);
    EXPECT_EQ(gp_zda_headersize(broken[4].data()), 0);
    EXPECT_EQ(gp_zda_csize(nullptr, "a.bmp"), 0);
    openArchives();
    for (int a : slots) EXPECT_EQ(zda_full_header[a], nullptr) << a;
    EXPECT_FALSE(get(ARC_GFX, "a", "bmp"));
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
    EXPECT_FALSE(get(ARC_GFX, "two", "bmp"));
}

TEST_F(Zda, TheWriterRefusesNamesThatDoNotFitAndEmptyEntries) {
    const uint8_t x = 'x';
    const std::string longName(40, 'n');
    ZdaItem bad[] = {{longName.c_str(), &x, 1}, {"empty.bmp", &x, 0}};
    for (const ZdaItem& b : bad) EXPECT_EQ(writeZDA("data/gfx.zda", &b, 1), 0) << b.name;
    EXPECT_FALSE(fileExists("data/gfx.zda"));
}

// Runs the archive tool with these arguments and gives its exit status; `said` gets what it printed.
int zdaTool(const std::string& args, std::string* said = nullptr) {
    int status = -1;
    const std::string printed = runCommand(std::string(ZDATOOL_BINARY) + " " + args + " 2>&1", &status);
    if (said) *said = printed;
    return status;
}

// The tool packs, lists and extracts, making a missing target folder, and every failure
// names the file and the reason.
TEST_F(Zda, TheToolPacksListsAndExtractsAndSaysWhyItFails) {
    writeFile("hello.bmp", bytesOf("hello there"));
    writeFile("plan1.bin", bytesOf("map!"));
    writeFile("empty.bmp", {});
    ASSERT_EQ(zdaTool("pack out.zda hello.bmp plan1.bin"), 0);
    std::string listing;
    EXPECT_EQ(zdaTool("list out.zda", &listing), 0);
    EXPECT_NE(listing.find("hello.bmp"), std::string::npos);
    EXPECT_NE(listing.find("plan1.bin"), std::string::npos);
    EXPECT_EQ(zdaTool("extract out.zda new/deeper"), 0);
    EXPECT_EQ(zdaTool("extract out.zda new/deeper"), 0); // into the folder made the first time
    EXPECT_EQ(readFile("new/deeper/hello.bmp"), bytesOf("hello there"));
    EXPECT_EQ(readFile("new/deeper/plan1.bin"), bytesOf("map!"));
    const struct {
        const char* args;
        const char* said;
    } failures[] = {
        {"list none.zda", "cannot open none.zda: No such file or directory"},
        {"pack x.zda none.bmp", "cannot read none.bmp: No such file or directory"},
        {"pack x.zda empty.bmp", "cannot read empty.bmp: the file is empty"},
        {"pack none/x.zda hello.bmp", "cannot write none/x.zda: No such file or directory"},
        {"extract out.zda hello.bmp", "cannot make the folder hello.bmp: Not a directory"},
        {"extract out.zda new nothere.bmp", "out.zda: no readable entry nothere.bmp"},
        {"list hello.bmp", "hello.bmp is not a valid .zda archive"},
    };
    for (const auto& f : failures) {
        std::string said;
        EXPECT_EQ(zdaTool(f.args, &said), 1) << f.args;
        EXPECT_EQ(said, std::string("zdatool: ") + f.said + "\n");
    }
}

// The data the build makes: every entry of every archive reads back whole, and the
// builder makes the same bytes every time. (That every entry the game asks for is there,
// the golden runs in all three sets, the demos in all four languages and the effect and
// module tests of test_sound show by loading each. That every text has its glyphs follows
// from test_font's text table and test_gfxdata's inked glyph for every such character
// in every font.)
class GameData : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(chdir(BLOMP_RUN_DIR), 0);
        openArchives();
    }
    void TearDown() override { closeArchives(); }
};

TEST_F(GameData, EveryEntryOfEveryArchiveReadsBackWhole) {
    for (int a = 0; a < NUM_ARCHIVES; a++) {
        const uint8_t* header = zda_full_header[a];
        ASSERT_NE(header, nullptr) << archives[a];
        for (int i = 0; i < gp_zda_count(header); i++) {
            char name[ZDA_NAME_SIZE + 1];
            gp_zda_name(header, i, name, sizeof name);
            int32_t size = 0;
            uint8_t* data = uncompressZDA(a, name, &size);
            EXPECT_NE(data, nullptr) << archives[a] << " " << name;
            EXPECT_EQ(size, gp_zda_usize(header, name)) << name;
            free(data);
        }
    }
}

// The data of the run folder is made by the build machine's databuild; the one
// built for this machine (run under an emulator in a cross build) must make the
// very same bytes, or a Pi would see other pictures, levels or sounds.
TEST(GameDataBuild, TheSameSourcesGiveTheSameBytes) {
    ScratchDir dir;
    int status = -1;
    for (const char* to : {"one", "two"}) {
        runCommand(std::string(DATABUILD_BINARY " " BLOMP_SOURCE_DIR "/assets ") + to + " >/dev/null 2>&1",
                   &status);
        ASSERT_EQ(status, 0) << to;
    }
    for (const char* a : archives) {
        std::string name = std::string("/data/") + a + ".zda";
        std::vector<uint8_t> one = readFile("one" + name);
        EXPECT_FALSE(one.empty()) << a;
        EXPECT_EQ(one, readFile("two" + name)) << a;
        EXPECT_EQ(one, readFile(BLOMP_RUN_DIR + name)) << a << " differs from the run folder's";
    }
    EXPECT_EQ(readFile("one/mapsen/test.bin"), readFile("two/mapsen/test.bin"));
    EXPECT_EQ(readFile("one/mapsen/test.bin"), readFile(BLOMP_RUN_DIR "/mapsen/test.bin"));
}

} // namespace
