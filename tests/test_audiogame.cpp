// The sound of the whole game, captured with SDL's disk audio driver while the
// harness plays in real time: the title's music fades in, and a menu move
// clicks even with the music turned off.
#include "testutil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <unistd.h>

namespace {

constexpr int RATE = 22050; // the device: 16-bit stereo at this rate

class AudioGame : public ::testing::Test {
protected:
    ScratchDir dir;
    std::vector<int16_t> samples; // left and right interleaved

    void SetUp() override { dir.linkGameData(); }

    // Plays the script with real-time waits and reads back what the device was given.
    void capture(const std::string& script) {
        std::string text = "realtime 1\n"
                           "tap 100 return\ntap 1100 return\ntap 1200 up\ntap 1300 up\ntap 1400 right\n" +
                           script;
        writeFile("script.txt", std::vector<uint8_t>(text.begin(), text.end()));
        int status = -1;
        runCommand(
            "SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=out.raw SDL_DISKAUDIODELAY=46 " +
                std::string(HARNESS_BINARY) + " script.txt >/dev/null 2>&1",
            &status);
        ASSERT_EQ(status, 0);
        std::vector<uint8_t> raw = readFile("out.raw");
        for (size_t i = 0; i + 1 < raw.size(); i += 2) samples.push_back((int16_t)(raw[i] | raw[i + 1] << 8));
        ASSERT_GT(samples.size(), (size_t)RATE * 2 * 4); // at least four seconds were played
    }
    // Loudness of the stretch from second `from` to second `to`.
    double rms(double from, double to) const {
        size_t a = (size_t)(from * RATE) * 2, b = std::min(samples.size(), (size_t)(to * RATE) * 2);
        double sum = 0;
        for (size_t i = a; i < b; i++) sum += (double)samples[i] * samples[i];
        return b > a ? std::sqrt(sum / (double)(b - a)) : 0;
    }
    int peak(double from, double to) const {
        size_t a = (size_t)(from * RATE) * 2, b = std::min(samples.size(), (size_t)(to * RATE) * 2);
        int p = 0;
        for (size_t i = a; i < b; i++) p = std::max(p, std::abs((int)samples[i]));
        return p;
    }
};

TEST_F(AudioGame, TheTitleMusicIsAudibleAndRisesDuringItsFadeIn) {
    capture("tap 9500 escape\n");
    EXPECT_EQ(peak(0, 1.0), 0); // the intro screens are silent
    const double early = rms(1.6, 2.6), late = rms(7.5, 8.5);
    EXPECT_GT(late, 500);             // clearly audible once faded in
    EXPECT_GT(late, 3 * early);       // and much quieter while it fades in
    EXPECT_LT(peak(1.5, 9.0), 32767); // never clipped
}

TEST_F(AudioGame, AMenuMoveClicksWithTheMusicOff) {
    writeFile("blomp.cfg",
              std::vector<uint8_t>({'m', 'u', 's', '_', 'v', 'o', 'l', 'u', 'm', 'e', '=', '0', '\n'}));
    capture("tap 3000 return\ntap 3500 down\ntap 5500 escape\n");
    EXPECT_EQ(peak(0, 3.0), 0);     // no music at volume 0, no effect yet
    EXPECT_GT(peak(3.4, 5.0), 300); // the "klonk" of the cursor moving
}

} // namespace
