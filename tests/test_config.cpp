// The configuration file: reading hand-made and written files, and writing it back.
#include "audio/music.h"
#include "audio/sound.h"
#include "io/config.h"
#include "io/input.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <string>

namespace {

// Every variable the file touches with the game's defaults; each test starts and ends with them.
int32_t* const vars[] = {
    &UP_KEY,       &DOWN_KEY,    &RIGHT_KEY,       &LEFT_KEY,         &JUMP_KEY,         &FIRE_KEY,
    &START_KEY,    &JUMP_BUTTON, &FIRE_BUTTON,     &START_BUTTON,     &UP_BUTTON,        &RIGHT_BUTTON,
    &DOWN_BUTTON,  &LEFT_BUTTON, &mpFlags,         &mpResamplingMode, &mpReverbDepth,    &mpReverbDelay,
    &mpBassAmount, &mpBassRange, &mpSurroundDepth, &mpSurroundDelay,  &_mus_volume_100_, &_sfx_volume_100_,
    &_mus_volume_, &_sfx_volume_};
const int32_t values[] = {SDLK_UP, SDLK_DOWN, SDLK_RIGHT, SDLK_LEFT, SDLK_UP, SDLK_SPACE, SDLK_RETURN, 0, 1,
                          7,       1,         2,          4,         8,       3,          1,           0, 0,
                          0,       0,         0,          0,         100,     15,         128,         19};
constexpr int NUM_VARS = int(sizeof vars / sizeof vars[0]);

const char* const defaultFile =
    "mus_volume=100\nsfx_volume=15\nj_jump=0\nj_fire=1\nj_start=7\nj_up=1\n"
    "j_down=4\nj_left=8\nj_right=2\nmpFlagsOVERSAMPLING=1\nmpResamplingMode=1\n"
    "mpFlagsNOISE_REDUCTION=1\nmpFlagsREVERB=0\nmpReverbDepth=0\nmpReverbDelay=0\n"
    "mpFlagsMEGABASS=0\nmpBassAmount=0\nmpBassRange=0\nmpFlagsSURROUND=0\n"
    "mpSurroundDepth=0\nmpSurroundDelay=0\n";

class Config : public ::testing::Test {
protected:
    ScratchDir scratch;
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset() {
        configFolder = nullptr;
        for (int i = 0; i < NUM_VARS; i++) *vars[i] = values[i];
    }
    // Writes blomp.cfg with this text and reads it.
    static void load(const std::string& text) {
        writeFile("blomp.cfg", std::vector<uint8_t>(text.begin(), text.end()));
        loadConfig();
    }
    static std::string fileText(const std::string& path) {
        std::vector<uint8_t> b = readFile(path);
        return std::string(b.begin(), b.end());
    }
};

TEST_F(Config, KeyLinesBindOnlyKeysAPersonCanTypeSafely) {
    UP_KEY = SDLK_w; // bindings the file must leave alone
    START_KEY = SDLK_q;
    load("k_jump=x\nk_up=273\nk_fire=X\nk_start=13\nk_left=53\nk_right=32\nk_down=-4\n");
    EXPECT_EQ(JUMP_KEY, SDLK_x);
    EXPECT_EQ(UP_KEY, SDLK_w);        // no cursor key
    EXPECT_EQ(FIRE_KEY, SDLK_SPACE);  // a capital reads as 0
    EXPECT_EQ(START_KEY, SDLK_q);     // no return
    EXPECT_EQ(LEFT_KEY, '5');         // a number is the key of that code
    EXPECT_EQ(RIGHT_KEY, SDLK_SPACE); // one of the few signs accepted
    EXPECT_EQ(DOWN_KEY, SDLK_DOWN);
    load("# my keys: k_down=z\n\n"); // found anywhere on a line
    EXPECT_EQ(DOWN_KEY, SDLK_z);
    const int32_t accepted[] = {'a', 'z', '0', '9', ' ', '#', '*', ',', ':', ';', '<', '>'};
    for (int32_t k : accepted) EXPECT_EQ(keyID(k, 7), k) << k;
    const int32_t refused[] = {-1, 0, 'A', '`', '{', '/', '=', '.', 13, 27, 273};
    for (int32_t k : refused) EXPECT_EQ(keyID(k, 7), 7) << k;
}

TEST_F(Config, VolumesOutOfRangeGiveFullVolume) {
    load("mus_volume=150\nsfx_volume=-5\n");
    EXPECT_EQ(_mus_volume_100_, 100);
    EXPECT_EQ(_sfx_volume_100_, 100);
    EXPECT_EQ(_sfx_volume_, 128);
    load("mus_volume=20\nmus_volume=0\nsfx_volume=55\n"); // a later line wins
    EXPECT_EQ(_mus_volume_100_, 0);
    EXPECT_EQ(_mus_volume_, 0);
    EXPECT_EQ(_sfx_volume_, 70);               // 55 * 128 / 100 cut down
    load("sfx_volume=99999999999999999999\n"); // does not wrap round into range
    EXPECT_EQ(_sfx_volume_100_, 100);
}

TEST_F(Config, MixerSettingsAreClampedAndFlagsOnlyEverSet) {
    load("mpResamplingMode=7\nmpFlagsOVERSAMPLING=0\nmpFlagsNOISE_REDUCTION=0\nmpFlagsREVERB=1\n"
         "mpFlagsMEGABASS=2\nmpFlagsSURROUND=1\nmpReverbDepth=250\nmpReverbDelay=0\nmpBassAmount=50\n"
         "mpBassRange=5\nmpSurroundDepth=-3\nmpSurroundDelay=99\n");
    EXPECT_EQ(mpResamplingMode, 1);
    EXPECT_EQ(mpFlags, 1 | 2 | 4 | 16); // megabass=2 is no 1
    EXPECT_EQ(mpReverbDepth, 100);
    EXPECT_EQ(mpReverbDelay, 40);
    EXPECT_EQ(mpBassAmount, 50);
    EXPECT_EQ(mpBassRange, 10);
    EXPECT_EQ(mpSurroundDepth, 0);
    EXPECT_EQ(mpSurroundDelay, 40);
    load("mpResamplingMode=3\n");
    EXPECT_EQ(mpResamplingMode, 3);
}

TEST_F(Config, BindingScansStopOnceBothValuesAreFound) {
    load("k_jump=a\nj_jump=3\nk_jump=b\n");
    EXPECT_EQ(JUMP_KEY, SDLK_a);
    EXPECT_EQ(JUMP_BUTTON, 3);
    // While one is missing a later line replaces an earlier one; a negative value is no value.
    load("k_right=c\nj_right=-1\nk_right=d\nj_fire=-1\nj_start=0\nj_up=300\n");
    EXPECT_EQ(RIGHT_KEY, SDLK_d);
    EXPECT_EQ(RIGHT_BUTTON, 2);
    EXPECT_EQ(FIRE_BUTTON, 1);
    EXPECT_EQ(START_BUTTON, 0);
    EXPECT_EQ(UP_BUTTON, 300);
    load("j_fire=12\n");
    EXPECT_EQ(FIRE_BUTTON, 12);
}

TEST_F(Config, TheLastBytesOfTheFileAreNotScannedForBindings) {
    load("mus_volume=50\nk_up=a");
    EXPECT_EQ(UP_KEY, SDLK_UP);
    EXPECT_EQ(_mus_volume_100_, 50);
    load("mus_volume=50\nk_up=a\n");
    EXPECT_EQ(UP_KEY, SDLK_a);
    load("sfx_volume=40"); // a setting may reach the very end
    EXPECT_EQ(_sfx_volume_100_, 40);
}

TEST_F(Config, DefaultsWrittenAndReadBackRaiseTheLowerClamps) {
    loadConfig(); // no file: nothing changes
    load("");
    dumpConfig();
    EXPECT_EQ(fileText("blomp.cfg"), defaultFile);
    loadConfig();
    dumpConfig();
    std::string again = defaultFile;
    again.replace(again.find("mpReverbDelay=0"), 15, "mpReverbDelay=40");
    again.replace(again.find("mpBassRange=0"), 13, "mpBassRange=10");
    again.replace(again.find("mpSurroundDelay=0"), 17, "mpSurroundDelay=5");
    EXPECT_EQ(fileText("blomp.cfg"), again);
    int files = 0; // no temporary file is left beside it
    DIR* d = opendir(".");
    while (dirent* e = d ? readdir(d) : nullptr) files += e->d_name[0] != '.';
    if (d) closedir(d);
    EXPECT_EQ(files, 1);
}

TEST_F(Config, ChangedSettingsSurviveARoundTripButKeysDoNot) {
    _mus_volume_100_ = 35;
    JUMP_BUTTON = 5;
    mpFlags = 1 | 8 | 16;
    mpBassAmount = 77;
    JUMP_KEY = SDLK_x;
    mkdir("cfg", 0755);
    configFolder = "cfg";
    dumpConfig();
    EXPECT_FALSE(fileExists("blomp.cfg"));
    std::string text = fileText("cfg/blomp.cfg");
    EXPECT_NE(text.find("mpFlagsNOISE_REDUCTION=0\nmpFlagsREVERB=0\n"), std::string::npos);
    reset();
    configFolder = "cfg";
    loadConfig();
    EXPECT_EQ(_mus_volume_100_, 35);
    EXPECT_EQ(JUMP_BUTTON, 5);
    EXPECT_EQ(mpFlags, 1 | 2 | 8 | 16); // the file cannot switch noise reduction off
    EXPECT_EQ(mpBassAmount, 77);
    EXPECT_EQ(JUMP_KEY, SDLK_UP);
    // dumpKey writes the lines a person would, which the reader takes back.
    FILE* f = fopen("cfg/blomp.cfg", "w");
    ASSERT_NE(f, nullptr);
    dumpKey("jump", SDLK_x, f);
    dumpKey("fire", '7', f);
    dumpKey("up", SDLK_RIGHT, f);
    fclose(f);
    EXPECT_EQ(fileText("cfg/blomp.cfg"), "k_jump=x\nk_fire=55\nk_up=275\n");
    loadConfig();
    EXPECT_EQ(JUMP_KEY, SDLK_x);
    EXPECT_EQ(FIRE_KEY, '7');
    EXPECT_EQ(UP_KEY, SDLK_UP);
}

} // namespace
