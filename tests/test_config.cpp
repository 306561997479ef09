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

// Every variable the file touches, saved around each test and set to the game's defaults.
int32_t* const configVars[] = {
    &UP_KEY,           &DOWN_KEY,     &RIGHT_KEY,    &LEFT_KEY,        &JUMP_KEY,         &FIRE_KEY,
    &START_KEY,        &JUMP_BUTTON,  &FIRE_BUTTON,  &START_BUTTON,    &SELECT_BUTTON,    &UP_BUTTON,
    &RIGHT_BUTTON,     &DOWN_BUTTON,  &LEFT_BUTTON,  &mpFlags,         &mpResamplingMode, &mpReverbDepth,
    &mpReverbDelay,    &mpBassAmount, &mpBassRange,  &mpSurroundDepth, &mpSurroundDelay,  &_mus_volume_100_,
    &_sfx_volume_100_, &_mus_volume_, &_sfx_volume_,
};
constexpr int NUM_CONFIG_VARS = int(sizeof configVars / sizeof configVars[0]);
const int32_t configDefaults[NUM_CONFIG_VARS] = {
    SDLK_UP, SDLK_DOWN, SDLK_RIGHT, SDLK_LEFT, SDLK_UP, SDLK_SPACE, SDLK_RETURN, 0, 1, 7,   6,  1,   2,  4,
    8,       3,         1,          0,         0,       0,          0,           0, 0, 100, 15, 128, 19,
};

const char* const defaultFile = "mus_volume=100\n"
                                "sfx_volume=15\n"
                                "j_jump=0\n"
                                "j_fire=1\n"
                                "j_start=7\n"
                                "j_up=1\n"
                                "j_down=4\n"
                                "j_left=8\n"
                                "j_right=2\n"
                                "mpFlagsOVERSAMPLING=1\n"
                                "mpResamplingMode=1\n"
                                "mpFlagsNOISE_REDUCTION=1\n"
                                "mpFlagsREVERB=0\n"
                                "mpReverbDepth=0\n"
                                "mpReverbDelay=0\n"
                                "mpFlagsMEGABASS=0\n"
                                "mpBassAmount=0\n"
                                "mpBassRange=0\n"
                                "mpFlagsSURROUND=0\n"
                                "mpSurroundDepth=0\n"
                                "mpSurroundDelay=0\n";

class Config : public ::testing::Test {
protected:
    int32_t saved[NUM_CONFIG_VARS];
    const char* savedFolder;
    ScratchDir scratch;

    void SetUp() override {
        savedFolder = configFolder;
        configFolder = nullptr;
        for (int i = 0; i < NUM_CONFIG_VARS; i++) {
            saved[i] = *configVars[i];
            *configVars[i] = configDefaults[i];
        }
    }
    void TearDown() override {
        configFolder = savedFolder;
        for (int i = 0; i < NUM_CONFIG_VARS; i++) *configVars[i] = saved[i];
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
    // Names in a folder, to see that no temporary file is left behind.
    static int filesIn(const std::string& dir) {
        int n = 0;
        DIR* d = opendir(dir.c_str());
        if (!d) return -1;
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') n++;
        closedir(d);
        return n;
    }
};

TEST_F(Config, FilenameBuildsPathsInTheWorkingDirectoryOrTheFolder) {
    EXPECT_STREQ(filename(nullptr, "blomp", "cfg"), "./blomp.cfg");
    EXPECT_STREQ(filename("saves", "hiscores", "dat"), "./saves/hiscores.dat");
    getConfigFolder();
    EXPECT_EQ(configFolder, nullptr);
}

TEST_F(Config, KeyLinesBindOnlyKeysAPersonCanTypeSafely) {
    UP_KEY = SDLK_w; // a binding the file must leave alone
    START_KEY = SDLK_q;
    load("k_jump=x\nk_up=273\nk_fire=X\nk_start=13\nk_left=53\nk_right=32\nk_down=-4\n");
    EXPECT_EQ(JUMP_KEY, SDLK_x);
    EXPECT_EQ(UP_KEY, SDLK_w);        // a cursor key is not accepted
    EXPECT_EQ(FIRE_KEY, SDLK_SPACE);  // a capital reads as 0
    EXPECT_EQ(START_KEY, SDLK_q);     // nor is return
    EXPECT_EQ(LEFT_KEY, '5');         // a number gives the key of that code
    EXPECT_EQ(RIGHT_KEY, SDLK_SPACE); // the space bar is one of the few signs accepted
    EXPECT_EQ(DOWN_KEY, SDLK_DOWN);   // a negative number is no key
    // The key text is found anywhere, not only at the start of a line.
    load("# my keys: k_down=z\n\n");
    EXPECT_EQ(DOWN_KEY, SDLK_z);
}

TEST_F(Config, KeyIDAcceptsLettersDigitsAndEightSigns) {
    const int32_t accepted[] = {'a', 'm', 'z', '0', '9', ' ', '#', '*', ',', ':', ';', '<', '>'};
    for (int32_t k : accepted) EXPECT_EQ(keyID(k, 7), k) << k;
    const int32_t refused[] = {-1, 0, 'A', 'Z', '`', '{', '/', '=', '.', '-', 13, 27, 273, 300};
    for (int32_t k : refused) EXPECT_EQ(keyID(k, 7), 7) << k;
}

TEST_F(Config, VolumesOutOfRangeGiveFullVolume) {
    load("mus_volume=150\nsfx_volume=-5\n");
    EXPECT_EQ(_mus_volume_100_, 100);
    EXPECT_EQ(_sfx_volume_100_, 100);
    EXPECT_EQ(_mus_volume_, 128);
    EXPECT_EQ(_sfx_volume_, 128);
    load("mus_volume=0\nsfx_volume=55\n");
    EXPECT_EQ(_mus_volume_100_, 0);
    EXPECT_EQ(_sfx_volume_100_, 55);
    EXPECT_EQ(_mus_volume_, 0);
    EXPECT_EQ(_sfx_volume_, 70); // 55 * 128 / 100 cut down
    // A later line wins; a huge number does not wrap round into range.
    load("mus_volume=20\nmus_volume=30\nsfx_volume=99999999999999999999\n");
    EXPECT_EQ(_mus_volume_100_, 30);
    EXPECT_EQ(_sfx_volume_100_, 100);
}

TEST_F(Config, MixerSettingsAreClampedAndFlagsOnlyEverSet) {
    load("mpResamplingMode=7\nmpFlagsOVERSAMPLING=0\nmpFlagsNOISE_REDUCTION=0\nmpFlagsREVERB=1\n"
         "mpFlagsMEGABASS=2\nmpFlagsSURROUND=1\nmpReverbDepth=250\nmpReverbDelay=0\nmpBassAmount=50\n"
         "mpBassRange=5\nmpSurroundDepth=-3\nmpSurroundDelay=99\n");
    EXPECT_EQ(mpResamplingMode, 1);
    EXPECT_EQ(mpFlags, 1 | 2 | 4 | 16); // oversampling and noise reduction stay on, megabass=2 is no 1
    EXPECT_EQ(mpReverbDepth, 100);
    EXPECT_EQ(mpReverbDelay, 40);
    EXPECT_EQ(mpBassAmount, 50);
    EXPECT_EQ(mpBassRange, 10);
    EXPECT_EQ(mpSurroundDepth, 0);
    EXPECT_EQ(mpSurroundDelay, 40);
    load("mpResamplingMode=3\nmpReverbDelay=200\nmpSurroundDelay=5\n");
    EXPECT_EQ(mpResamplingMode, 3);
    EXPECT_EQ(mpReverbDelay, 200);
    EXPECT_EQ(mpSurroundDelay, 5);
    load("mpResamplingMode=-2\n");
    EXPECT_EQ(mpResamplingMode, 1);
}

TEST_F(Config, ButtonLinesTakeAnyNumberFromZeroUp) {
    load("j_fire=-1\nj_start=0\nj_up=300\n");
    EXPECT_EQ(FIRE_BUTTON, 1);
    EXPECT_EQ(START_BUTTON, 0);
    EXPECT_EQ(UP_BUTTON, 300);
    load("j_fire=12\n");
    EXPECT_EQ(FIRE_BUTTON, 12);
}

TEST_F(Config, TheScanOfANameStopsOnceBothValuesAreFound) {
    load("k_jump=a\nj_jump=3\nk_jump=b\n");
    EXPECT_EQ(JUMP_KEY, SDLK_a);
    EXPECT_EQ(JUMP_BUTTON, 3);
    // While one is missing, a later line replaces an earlier one.
    load("k_left=a\nk_left=b\n");
    EXPECT_EQ(LEFT_KEY, SDLK_b);
    // A negative button counts as not found, so the scan goes on.
    load("k_right=c\nj_right=-1\nk_right=d\n");
    EXPECT_EQ(RIGHT_KEY, SDLK_d);
    EXPECT_EQ(RIGHT_BUTTON, 2);
}

TEST_F(Config, TheLastBytesOfTheFileAreNotScannedForBindings) {
    load("mus_volume=50\nk_up=a");
    EXPECT_EQ(UP_KEY, SDLK_UP);
    EXPECT_EQ(_mus_volume_100_, 50);
    load("mus_volume=50\nk_up=a\n");
    EXPECT_EQ(UP_KEY, SDLK_a);
    // A setting reaching the very end is still read.
    load("sfx_volume=40");
    EXPECT_EQ(_sfx_volume_100_, 40);
}

TEST_F(Config, AMissingOrEmptyFileChangesNothing) {
    loadConfig();
    load("");
    load("garbage\n");
    for (int i = 0; i < NUM_CONFIG_VARS; i++) EXPECT_EQ(*configVars[i], configDefaults[i]) << i;
}

TEST_F(Config, DefaultsWrittenAndReadBackRaiseTheLowerClamps) {
    dumpConfig();
    EXPECT_EQ(fileText("blomp.cfg"), defaultFile);
    EXPECT_EQ(filesIn("."), 1); // no temporary file left beside it
    loadConfig();
    EXPECT_EQ(mpReverbDelay, 40);
    EXPECT_EQ(mpBassRange, 10);
    EXPECT_EQ(mpSurroundDelay, 5);
    dumpConfig();
    std::string again = defaultFile;
    again.replace(again.find("mpReverbDelay=0"), 15, "mpReverbDelay=40");
    again.replace(again.find("mpBassRange=0"), 13, "mpBassRange=10");
    again.replace(again.find("mpSurroundDelay=0"), 17, "mpSurroundDelay=5");
    EXPECT_EQ(fileText("blomp.cfg"), again);
    // Everything else reads back as it was written.
    for (int i = 0; i < NUM_CONFIG_VARS; i++) {
        if (configVars[i] == &mpReverbDelay || configVars[i] == &mpBassRange ||
            configVars[i] == &mpSurroundDelay)
            continue;
        EXPECT_EQ(*configVars[i], configDefaults[i]) << i;
    }
}

TEST_F(Config, ChangedSettingsSurviveARoundTripButKeysDoNot) {
    _mus_volume_100_ = 35;
    _sfx_volume_100_ = 0;
    JUMP_BUTTON = 5;
    START_BUTTON = 11;
    mpFlags = 1 | 8 | 16;
    mpResamplingMode = 3;
    mpBassAmount = 77;
    JUMP_KEY = SDLK_x;
    mkdir("cfg", 0755);
    configFolder = "cfg";
    dumpConfig();
    EXPECT_FALSE(fileExists("blomp.cfg"));
    std::string text = fileText("cfg/blomp.cfg");
    EXPECT_NE(text.find("mpFlagsMEGABASS=1\n"), std::string::npos);
    EXPECT_NE(text.find("mpFlagsNOISE_REDUCTION=0\n"), std::string::npos);
    EXPECT_EQ(text.find("k_"), std::string::npos);
    for (int i = 0; i < NUM_CONFIG_VARS; i++) *configVars[i] = configDefaults[i];
    loadConfig();
    EXPECT_EQ(_mus_volume_100_, 35);
    EXPECT_EQ(_sfx_volume_100_, 0);
    EXPECT_EQ(_sfx_volume_, 0);
    EXPECT_EQ(JUMP_BUTTON, 5);
    EXPECT_EQ(START_BUTTON, 11);
    EXPECT_EQ(mpFlags, 1 | 2 | 8 | 16); // noise reduction cannot be switched off by the file
    EXPECT_EQ(mpResamplingMode, 3);
    EXPECT_EQ(mpBassAmount, 77);
    EXPECT_EQ(JUMP_KEY, SDLK_UP);
    // A folder that does not exist is skipped silently.
    configFolder = "missing";
    dumpConfig();
    EXPECT_FALSE(fileExists("missing"));
}

TEST_F(Config, DumpKeyWritesLinesTheReaderUnderstands) {
    FILE* f = fopen("blomp.cfg", "w");
    ASSERT_NE(f, nullptr);
    dumpKey("jump", SDLK_x, f);
    dumpKey("fire", '7', f);
    dumpKey("up", SDLK_UP, f);
    dumpKey("left", SDLK_a, f);
    fclose(f);
    EXPECT_EQ(fileText("blomp.cfg"), "k_jump=x\nk_fire=55\nk_up=273\nk_left=a\n");
    loadConfig();
    EXPECT_EQ(JUMP_KEY, SDLK_x);
    EXPECT_EQ(FIRE_KEY, '7');
    EXPECT_EQ(UP_KEY, SDLK_UP);
    EXPECT_EQ(LEFT_KEY, SDLK_a);
}

} // namespace
