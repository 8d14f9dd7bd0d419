// Movie playback on movies made by the ffmpeg tool: sizes, frame counts and pacing on the manual
// clock, frames against the tool's own decode through the 565 and 555 rules, straight into the
// back buffer and into the sample surface, the scaled copy, the copy's refusals kept where a frame
// goes straight in, the end test, pause and play without seeking, the trace lines, sizes by the
// bounds, broken or too large files or ones no picture of which decodes ending at once, and the
// sound reaching the mixer with the stream.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_sound.h"
#include "services/mov_movie.h"
#include "tests/support/fixture.h"
#include "tests/support/movie_writer.h"

namespace {
namespace fs = std::filesystem;

// Sizes by the bounds: inside them, frames whose rows the decoder pads past the bound of pixels,
// and each side or the pixels at their bound; then each just past its bound.
constexpr std::pair<int, int> kInside[] = {{2160, 3840}, {2000, 4096}, {4000, 2073}, {4096, 2025}, {2025, 4096}};
constexpr std::pair<int, int> kPast[] = {{kMovieMaxSide + 1, 16}, {16, kMovieMaxSide + 1}, {2161, 3840}};
std::string SizeName(int w, int h) { return std::to_string(w) + "x" + std::to_string(h) + ".mkv"; }

// The movies, written once for the whole suite.
struct Movies {
    std::string dir;
    std::string Path(const char* name) const { return dir + "/" + name; }
    ~Movies() {
        std::error_code ec;
        if (!dir.empty()) fs::remove_all(dir, ec);
    }
};

Movies& Library() {
    static Movies m = [] {
        Movies l;
        l.dir = fs::temp_directory_path() / ("orv_movies_" + std::to_string(getpid()));
        fs::create_directories(l.dir);
        support::MovieSpec mpeg;  // MPEG-1 with MP2 sound, 160 x 120 at 25 fps, 25 frames
        support::MovieSpec avi{"avi", "mjpeg", "pcm_s16le", 96, 72, 10, 10, 22050};
        support::MovieSpec odd{"avi", "mjpeg", "", 72, 40, 10, 3};
        support::MovieSpec large{"mpeg", "mpeg1video", "", 800, 600, 25, 3};
        support::MovieSpec slow{"avi", "mjpeg", "", 64, 48, 2, 3};  // half a second a frame
        support::MovieSpec wide{"avi", "mjpeg", "", kMovieMaxSide + 16, 16, 10, 1};
        support::MovieSpec limit{"avi", "mjpeg", "", 3840, 2160, 10, 1};  // kMovieMaxPixels exactly
        support::MovieSpec big{"avi", "mjpeg", "", 3842, 2160, 10, 1};    // a column of pixels more
        support::MovieSpec sound{"wav", "", "pcm_s16le"};
        support::MovieSpec narrow{"mpeg", "mpeg1video", "", 44, 30, 25, 3};  // rows of 32 + 8 + 4 pixels, bands of 16 + 14
        // With sound, its pictures blanked below: a file that demuxes, no picture of which decodes.
        support::MovieSpec blank{"avi", "mjpeg", "pcm_s16le", 64, 48, 10, 3, 22050};
        bool ok = support::WriteMovie(l.Path("a.mpg"), mpeg) && support::WriteMovie(l.Path("b.avi"), avi) &&
                  support::WriteMovie(l.Path("odd.avi"), odd) && support::WriteMovie(l.Path("large.mpg"), large) &&
                  support::WriteMovie(l.Path("slow.avi"), slow) && support::WriteMovie(l.Path("wide.avi"), wide) &&
                  support::WriteMovie(l.Path("limit.avi"), limit) && support::WriteMovie(l.Path("big.avi"), big) &&
                  support::WriteMovie(l.Path("sound.wav"), sound) &&
                  support::WriteMovie(l.Path("narrow.mpg"), narrow) && support::WriteMovie(l.Path("blank.avi"), blank) &&
                  support::BlankAviPictures(l.Path("blank.avi"));
        // One frame of MPEG-4 in Matroska at each size by the bounds, in the tool's coarsest quantiser.
        const auto sized = [&](int w, int h) {
            const support::MovieSpec spec{"matroska", "mpeg4", "", w, h, 25, 1, 44100, 31, "testsrc"};
            return support::WriteMovie(l.Path(SizeName(w, h).c_str()), spec);
        };
        for (const auto& [w, h] : kInside) ok = ok && sized(w, h);
        for (const auto& [w, h] : kPast) ok = ok && sized(w, h);
        // The logo movie's name: an MPEG-1 file whose extension says nothing.
        fs::create_directories(l.Path("WAV"));
        fs::copy_file(l.Path("a.mpg"), l.Path("WAV/EARLYSTG.DAT"), fs::copy_options::overwrite_existing);
        std::vector<uint8_t> bytes = support::ReadBytes(l.Path("a.mpg"));
        // Small pictures beside the sound: cut short, the file's stated length falls before its
        // last frames.
        support::MovieSpec coarse;
        coarse.quality = 20;
        ok = ok && support::WriteMovie(l.Path("coarse.mpg"), coarse);
        const std::vector<uint8_t> whole = support::ReadBytes(l.Path("coarse.mpg"));
        for (int tenth = 1; tenth < 10; ++tenth) {
            const std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() * tenth / 10));
            ok = ok && support::WriteBytes(l.Path("cut") + std::to_string(tenth) + ".mpg", cut);
        }
        // b.avi with a sound track that claims 520 MHz (the rate in its format block).
        std::vector<uint8_t> fast = support::ReadBytes(l.Path("b.avi"));
        const std::string text(fast.begin(), fast.end());
        const size_t format = text.find("strf", text.find("auds"));
        ok = ok && format != std::string::npos && format + 16 <= fast.size();
        if (ok) {
            const uint32_t rate = 520000000;
            std::memcpy(&fast[format + 12], &rate, 4);
            ok = support::WriteBytes(l.Path("fast.avi"), fast);
        }
        bytes.resize(bytes.size() / 2);
        ok = ok && support::WriteBytes(l.Path("half.mpg"), bytes);
        std::vector<uint8_t> junk(4096);
        for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<uint8_t>(i * 7919 >> 3);
        ok = ok && support::WriteBytes(l.Path("junk.mpg"), junk) && support::WriteBytes(l.Path("empty.mpg"), {});
        if (!ok) l.dir.clear();
        return l;
    }();
    return m;
}

struct MovieTest : ::testing::Test {
    void SetUp() override { Open(true); }
    void Open(bool is565) {
        display.reset();  // one display at a time: a display's end releases the global one
        display = std::make_unique<support::HeadlessDisplay>(headless::Config{16, is565});
        ASSERT_TRUE(display->ok);
        ASSERT_FALSE(Library().dir.empty()) << "ffmpeg could not write the test movies";
        headless::ClearDebugOutput();
    }
    void TearDown() override {
        for (MOV_DATA*& m : open) MOV_Close(&m);
        display.reset();
    }
    MOV_DATA* Movie(const char* name) {
        MOV_DATA* m = MOV_Open(Library().Path(name).c_str(), DD_DISPLAY.dd4);
        open.push_back(m);
        return m;
    }
    // Draws until a frame comes or the movie ends; the code of the last draw.
    static HRESULT DrawFrame(MOV_DATA* m) {
        HRESULT r;
        do r = MOV_Draw(m, DD_DISPLAY.back);
        while (r == MS_S_NOUPDATE);
        return r;
    }
    static std::vector<uint16_t> BackRegion(int w, int h) {
        std::vector<uint16_t> out;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) out.push_back(support::PixelAt(DD_DISPLAY.back, x, y));
        return out;
    }
    std::unique_ptr<support::HeadlessDisplay> display;
    std::vector<MOV_DATA*> open;
};

// The display's colour rule: each channel's top bits.
std::vector<uint16_t> Packed(const std::vector<uint8_t>& rgb, bool is565) {
    std::vector<uint16_t> out(rgb.size() / 3);
    for (size_t i = 0; i < out.size(); ++i) {
        const uint32_t r = rgb[3 * i], g = rgb[3 * i + 1], b = rgb[3 * i + 2];
        out[i] = is565 ? uint16_t((r >> 3) << 11 | (g >> 2) << 5 | b >> 3) : uint16_t((r >> 3) << 10 | (g >> 3) << 5 | b >> 3);
    }
    return out;
}

TEST_F(MovieTest, OpensByContentWithSizeFrameCountPacingAndEnd) {
    struct Case {
        const char* name;
        int w, h, frames, frame_ms;
        uint32_t min_ms, max_ms;
    } cases[] = {{"a.mpg", 160, 120, 25, 40, 1000, 1050},
                 {"b.avi", 96, 72, 10, 100, 1000, 1000},
                 {"wav\\earlystg.dat", 160, 120, 25, 40, 1000, 1050}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MOV_DATA* m = Movie(c.name);
        ASSERT_NE(m, nullptr);
        int32_t x = -1, y = -1, w = 0, h = 0;
        MOV_GetPos(m, &x, &y);
        MOV_GetSize(m, &w, &h);
        EXPECT_EQ(std::tuple(x, y, w, h), std::tuple(0, 0, c.w, c.h));
        const uint32_t duration = MOV_GetDuration(m);
        EXPECT_TRUE(duration >= c.min_ms && duration <= c.max_ms) << duration;
        EXPECT_EQ(MOV_GetTime(m), 0u);
        MOV_Play(m);
        // Each draw waits on the clock for its frame: the frames come one frame length apart.
        int frames = 0;
        uint32_t last = 0;
        while (DrawFrame(m) == DD_OK) {
            const uint32_t t = MOV_GetTime(m);
            if (frames > 0) {
                EXPECT_NEAR(double(t - last), c.frame_ms, 1.0) << frames;
            }
            last = t;
            ++frames;
            ASSERT_LT(frames, 1000);
        }
        EXPECT_EQ(frames, c.frames);
        // The end: time equals duration, and a draw returns the end code and draws nothing.
        EXPECT_EQ(MOV_GetTime(m), duration);
        const std::vector<uint16_t> before = BackRegion(c.w, c.h);
        const uint32_t clock = plat::TimeMs();
        EXPECT_EQ(MOV_Draw(m, DD_DISPLAY.back), MS_S_ENDOFSTREAM);
        EXPECT_EQ(MOV_Update(m), 0);
        EXPECT_EQ(BackRegion(c.w, c.h), before);
        EXPECT_EQ(plat::TimeMs(), clock);
    }
}

TEST_F(MovieTest, FramesMatchTheToolsDecodeThroughBothPixelRules) {
    for (auto [name, w, h, count] : {std::tuple{"a.mpg", 160, 120, 25u}, {"narrow.mpg", 44, 30, 3u}}) {
        const std::vector<std::vector<uint8_t>> want = support::DecodeMovieRgb24(Library().Path(name), w, h);
        ASSERT_EQ(want.size(), count) << name;
        // A draw at the frame's size takes the frame straight into the back buffer; an update
        // takes it into the sample surface, which the scaled copy reads.
        for (auto [is565, update] : {std::pair{true, false}, {false, false}, {true, true}, {false, true}}) {
            SCOPED_TRACE(std::string(name) + (is565 ? " 565" : " 555") + (update ? " update" : " draw"));
            Open(is565);
            MOV_DATA* m = Movie(name);
            MOV_Play(m);
            for (size_t k = 0; k < want.size(); ++k) {
                if (update) {
                    ASSERT_EQ(MOV_Update(m), 1) << k;
                } else {
                    ASSERT_EQ(DrawFrame(m), DD_OK) << k;
                }
                std::vector<uint16_t> got;
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) got.push_back(support::PixelAt(update ? m->surface : DD_DISPLAY.back, x, y));
                ASSERT_EQ(got, Packed(want[k], is565)) << "frame " << k;
            }
            MOV_Close(&open.back());
        }
    }
}

TEST_F(MovieTest, DestinationOfTheWholeScreenFillsTheBackBufferForAnySize) {
    std::vector<std::string> names = {"odd.avi", "a.mpg", "large.mpg", "limit.avi"};
    for (const auto& [w, h] : kInside) names.push_back(SizeName(w, h));
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        MOV_DATA* m = Movie(name.c_str());
        ASSERT_NE(m->sample, nullptr);
        if (name.ends_with(".mkv")) {
            EXPECT_EQ(SizeName(m->src.right, m->src.bottom), name);  // named by its size
        }
        MOV_SetPos(m, 0, 0);
        MOV_SetSize(m, 640, 480);
        int32_t w = 0, h = 0;
        MOV_GetSize(m, &w, &h);
        EXPECT_EQ(std::pair(w, h), std::pair(640, 480));
        MOV_Play(m);
        ASSERT_EQ(DrawFrame(m), DD_OK);
        // Every pixel is the nearest frame pixel.
        const int fw = m->src.right, fh = m->src.bottom;
        int wrong = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                wrong += support::PixelAt(DD_DISPLAY.back, x, y) != support::PixelAt(m->surface, x * fw / 640, y * fh / 480);
        EXPECT_EQ(wrong, 0);
    }
}

// A frame goes straight into a rectangle of its size only where the copy would have put it: where
// the copy is refused, so is the draw, with the copy's code, and the frame is used up as before.
TEST_F(MovieTest, FramesGoStraightInOnlyWhereTheCopyWouldAndItsRefusalsStand) {
    const std::vector<std::vector<uint8_t>> want = support::DecodeMovieRgb24(Library().Path("a.mpg"), 160, 120);
    ASSERT_EQ(want.size(), 25u);
    auto lock = [](DDSurface* s) {
        DDSURFACEDESC2 desc{};
        desc.dwSize = DDSD_SIZE;
        s->Lock(nullptr, &desc, 0);
    };
    auto unlock = [](DDSurface* s) { s->Unlock(nullptr); };
    auto lose = [](DDSurface* s) { s->MarkLost(); };
    auto restore = [](DDSurface* s) { s->Restore(); };
    struct Case {
        const char* what;
        int32_t x, y;
        void (*before)(DDSurface*), (*after)(DDSurface*);
        HRESULT result;
    } cases[] = {
        {"the bottom right corner", 480, 360, nullptr, nullptr, DD_OK},
        {"an odd place", 37, 5, nullptr, nullptr, DD_OK},
        {"a column past the right edge", 481, 0, nullptr, nullptr, DDERR_INVALIDRECT},
        {"a row above the top", 0, -1, nullptr, nullptr, DDERR_INVALIDRECT},
        {"a lost back buffer", 0, 0, lose, restore, DDERR_SURFACELOST},
        {"a locked back buffer", 0, 0, lock, unlock, DDERR_SURFACEBUSY},
        {"the top left corner", 0, 0, nullptr, nullptr, DD_OK},
    };
    MOV_DATA* m = Movie("a.mpg");
    MOV_Play(m);
    for (size_t k = 0; k < std::size(cases); ++k) {
        const Case& c = cases[k];
        MOV_SetPos(m, c.x, c.y);
        if (c.before) c.before(DD_DISPLAY.back);
        const HRESULT r = DrawFrame(m);
        if (c.after) c.after(DD_DISPLAY.back);
        EXPECT_EQ(r, c.result) << c.what;
        if (r != DD_OK) continue;
        std::vector<uint16_t> shown;
        for (int y = c.y; y < c.y + 120; ++y)
            for (int x = c.x; x < c.x + 160; ++x) shown.push_back(support::PixelAt(DD_DISPLAY.back, x, y));
        EXPECT_EQ(shown, Packed(want[k], true)) << c.what;
    }
}

TEST_F(MovieTest, PauseAndStopKeepThePlaceAndPlayGoesOnWithoutSeeking) {
    const std::vector<std::vector<uint8_t>> want = support::DecodeMovieRgb24(Library().Path("a.mpg"), 160, 120);
    ASSERT_EQ(want.size(), 25u);
    MOV_DATA* m = Movie("a.mpg");
    MOV_Play(m);
    size_t next = 0;
    for (; next < 5; ++next) ASSERT_EQ(DrawFrame(m), DD_OK);
    for (bool pause : {true, false}) {
        const uint32_t t = MOV_GetTime(m);
        pause ? MOV_Pause(m) : MOV_Stop(m);
        EXPECT_EQ(m->paused, pause ? 1u : 0u);
        EXPECT_EQ(m->playing, 1u);
        headless::AdvanceTime(5000);
        EXPECT_EQ(MOV_GetTime(m), t);
        const uint32_t clock = plat::TimeMs();
        EXPECT_EQ(MOV_Draw(m, DD_DISPLAY.back), MS_E_NOTRUNNING);  // at once, nothing drawn
        EXPECT_EQ(plat::TimeMs(), clock);
        MOV_Play(m);
        EXPECT_EQ(m->paused, 0u);
        ASSERT_EQ(DrawFrame(m), DD_OK);
        EXPECT_EQ(BackRegion(160, 120), Packed(want[next], true)) << "frame " << next;
        EXPECT_LT(MOV_GetTime(m) - t, 41u);
        ++next;
    }
}

TEST_F(MovieTest, StopClearsPauseAFailedPlayClearsPlayingAndCloseStopsTheStream) {
    MOV_DATA* m = Movie("a.mpg");
    MOV_Play(m);
    MOV_Pause(m);
    EXPECT_EQ(std::pair(m->playing, m->paused), std::pair(1u, 1u));
    MOV_Stop(m);
    EXPECT_EQ(std::pair(m->playing, m->paused), std::pair(1u, 0u));

    MOV_Play(m);
    headless::FailCall("MultiMediaStream.SetState");
    MOV_Play(m);
    EXPECT_EQ(m->playing, 0u);
    headless::ClearDebugOutput();
    MOV_Stop(m);
    MOV_Pause(m);
    EXPECT_TRUE(headless::DebugOutput().empty());

    // Closing a running movie stops its stream before anything is released.
    MOV_Play(m);
    ASSERT_EQ(m->playing, 1u);
    headless::ClearCallLog();
    MOV_Close(&open.back());
    const std::vector<std::string>& log = headless::CallLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "MultiMediaStream.SetState(stop)");
}

TEST_F(MovieTest, TraceLines) {
    const std::string a = Library().Path("a.mpg");
    struct Case {
        std::vector<void (*)(MOV_DATA*)> steps;
        std::vector<std::string> lines;
    } cases[] = {
        {{}, {"movie open....(" + a + ")\n", "movie close ..... (" + a + ")\n"}},
        {{MOV_Stop, MOV_Pause}, {"movie open....(" + a + ")\n", "movie close ..... (" + a + ")\n"}},
        {{MOV_Play, MOV_Pause, MOV_Pause, MOV_Play, MOV_Stop, MOV_Stop},
         {"movie open....(" + a + ")\n", "movie playing....(" + a + ")\n", "movie pause....(" + a + ")\n",
          "movie playing....(" + a + ")\n", "movie stop....(" + a + ")\n", "movie stop....(" + a + ")\n",
          "movie close ..... (" + a + ")\n"}},
    };
    for (const Case& c : cases) {
        headless::ClearDebugOutput();
        MOV_DATA* m = MOV_Open(a.c_str(), DD_DISPLAY.dd4);
        for (auto step : c.steps) step(m);
        MOV_Close(&m);
        EXPECT_EQ(m, nullptr);
        EXPECT_EQ(headless::DebugOutput(), c.lines);
    }
    headless::ClearDebugOutput();
    DWWL_Init();
    DWWL_Term();
    EXPECT_EQ(headless::DebugOutput(), (std::vector<std::string>{"DWWL_Init\n", "DWWL_Term\n"}));

    // A name of 259 bytes opens (its open line cut to 255 characters, without its line end); one
    // of 260 is refused.
    headless::ClearDebugOutput();
    const std::string longest(259, 'n');
    MOV_DATA* m = MOV_Open(longest.c_str(), DD_DISPLAY.dd4);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(headless::DebugOutput().at(0), ("movie open....(" + longest).substr(0, 255));
    MOV_Close(&m);
    headless::ClearDebugOutput();
    EXPECT_EQ(MOV_Open(std::string(260, 'n').c_str(), DD_DISPLAY.dd4), nullptr);
    EXPECT_EQ(MOV_Open(nullptr, DD_DISPLAY.dd4), nullptr);
    EXPECT_EQ(headless::DebugOutput().at(0), "MOV_Open: a name of 260 bytes refused");
}

TEST_F(MovieTest, NullRecordsAndClosedPointersDoNothing) {
    MOV_DATA* none = nullptr;
    MOV_Play(none);
    MOV_Stop(none);
    MOV_Pause(none);
    MOV_SetPos(none, 1, 2);
    MOV_SetSize(none, 3, 4);
    EXPECT_EQ(MOV_Update(none), 0);
    EXPECT_NE(MOV_Draw(none, DD_DISPLAY.back), DD_OK);
    EXPECT_EQ(MOV_GetTime(none), MOV_GetDuration(none));
    MOV_Close(&none);
    MOV_Close(nullptr);
    EXPECT_TRUE(headless::DebugOutput().empty());
}

// Files that cannot be played: the record exists, draws nothing, returns at once and has ended.
// Pictures too large, or none of which decodes, count as no pictures.
TEST_F(MovieTest, UnplayableFilesEndAtOnce) {
    std::vector<std::string> names = {"missing.mpg", "empty.mpg", "junk.mpg", "sound.wav", "wide.avi", "big.avi", "blank.avi"};
    for (const auto& [w, h] : kPast) names.push_back(SizeName(w, h));
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        MOV_DATA* m = Movie(name.c_str());
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->sample, nullptr);
        MOV_Play(m);
        const uint32_t clock = plat::TimeMs();
        const std::vector<uint16_t> before = BackRegion(640, 480);
        EXPECT_NE(MOV_Draw(m, DD_DISPLAY.back), DD_OK);
        EXPECT_EQ(MOV_Update(m), 0);
        EXPECT_EQ(MOV_GetTime(m), MOV_GetDuration(m));
        EXPECT_EQ(plat::TimeMs(), clock);
        EXPECT_EQ(BackRegion(640, 480), before);
    }
    // A stream that cannot be made, and one that refuses to run.
    headless::FailCall("MultiMediaStream.Create");
    MOV_DATA* m = Movie("a.mpg");
    ASSERT_NE(m, nullptr);
    MOV_Play(m);
    EXPECT_EQ(m->playing, 0u);
    EXPECT_NE(MOV_Draw(m, DD_DISPLAY.back), DD_OK);
    EXPECT_EQ(MOV_GetTime(m), MOV_GetDuration(m));
    headless::FailCall("MultiMediaStream.SetState");
    m = Movie("a.mpg");
    headless::ClearDebugOutput();
    MOV_Play(m);
    MOV_Pause(m);
    MOV_Stop(m);
    EXPECT_EQ(m->playing, 0u);
    EXPECT_TRUE(headless::DebugOutput().empty());
}

// The callers' end test (time == duration) passes only once the last frame has been drawn, and
// after the end code nothing more is drawn, however far the file's stated length is off.
TEST_F(MovieTest, TruncatedFilePlaysWhatItHasThenEnds) {
    std::vector<std::string> names = {"half.mpg"};
    for (int tenth = 1; tenth < 10; ++tenth) names.push_back("cut" + std::to_string(tenth) + ".mpg");
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        MOV_DATA* m = Movie(name.c_str());
        ASSERT_NE(m->sample, nullptr);
        MOV_Play(m);
        int frames = 0;
        HRESULT r;
        while ((r = MOV_Draw(m, DD_DISPLAY.back)) == DD_OK || r == MS_S_NOUPDATE) {
            if (r == DD_OK) {
                ASSERT_LE(++frames, 25);
            }
            if (MOV_GetTime(m) == MOV_GetDuration(m)) break;
        }
        EXPECT_EQ(r, MS_S_ENDOFSTREAM) << "the end test passed with frames still to draw";
        EXPECT_GT(frames, 0);
        EXPECT_EQ(MOV_GetTime(m), MOV_GetDuration(m));
        const std::vector<uint16_t> before = BackRegion(160, 120);
        for (int i = 0; i < 10; ++i) {
            headless::AdvanceTime(40);
            EXPECT_EQ(MOV_Draw(m, DD_DISPLAY.back), MS_S_ENDOFSTREAM);
        }
        EXPECT_EQ(BackRegion(160, 120), before);
    }
}

TEST_F(MovieTest, WaitsAreBoundedAndSeveralMoviesPlayAtOnce) {
    // Frames half a second apart: a draw waits a quarter second at most, and the frame stays due.
    MOV_DATA* slow = Movie("slow.avi");
    MOV_DATA* a = Movie("a.mpg");
    MOV_SetPos(a, 200, 100);
    MOV_Play(slow);
    MOV_Play(a);
    ASSERT_EQ(MOV_Draw(slow, DD_DISPLAY.back), DD_OK);
    uint32_t t0 = plat::TimeMs();
    EXPECT_EQ(MOV_Draw(slow, DD_DISPLAY.back), MS_S_NOUPDATE);
    EXPECT_EQ(plat::TimeMs() - t0, 250u);
    // The other movie has fallen behind by then: its draw skips to the frame due now, the sixth
    // (frames fall 10.9 ms + 40 ms x k into the stream).
    ASSERT_EQ(MOV_Draw(a, DD_DISPLAY.back), DD_OK);
    EXPECT_EQ(plat::TimeMs() - t0, 250u);
    const std::vector<std::vector<uint8_t>> want = support::DecodeMovieRgb24(Library().Path("a.mpg"), 160, 120);
    ASSERT_EQ(want.size(), 25u);
    std::vector<uint16_t> shown;
    for (int y = 100; y < 220; ++y)
        for (int x = 200; x < 360; ++x) shown.push_back(support::PixelAt(DD_DISPLAY.back, x, y));
    EXPECT_EQ(shown, Packed(want[5], true));
    EXPECT_EQ(MOV_Update(slow), 1);
    EXPECT_EQ(plat::TimeMs() - t0, 500u);
    EXPECT_EQ(MOV_Update(a), 1);
    EXPECT_GE(MOV_GetTime(a), 500u);
}
}  // namespace

namespace {
size_t FirstSound(const std::vector<int16_t>& s, size_t from = 0) {
    while (from < s.size() && s[from] == 0) ++from;
    return from;
}

TEST_F(MovieTest, SoundPlaysAtFullLevelFromPlayAndStopsWithTheStream) {
    const std::vector<int16_t> want = support::DecodeMovieSound(Library().Path("a.mpg"));
    ASSERT_GT(want.size(), 44100u);
    MOV_DATA* m = Movie("a.mpg");
    ASSERT_TRUE(headless::SoundDeviceOpen());
    headless::AdvanceTime(100);  // opened, not playing: silence
    MOV_Play(m);
    while (DrawFrame(m) == DD_OK) {
    }
    headless::AdvanceTime(500);
    const std::vector<int16_t> got = headless::CapturedAudio();
    // The sound starts when the stream runs and is the tool's decode sample for sample.
    const size_t g0 = FirstSound(got), w0 = FirstSound(want);
    ASSERT_LT(g0, got.size());
    EXPECT_NEAR(double(g0 / 2), double(w0 / 2) + 4410, 2.0);
    // (The mixer keeps a queue's last frame back to interpolate towards the next.)
    const size_t n = std::min(got.size() - g0, want.size() - w0) - 2;
    EXPECT_GT(n, 40000u);
    size_t differ = 0;
    for (size_t i = 0; i < n; ++i) differ += got[g0 + i] != want[w0 + i];
    EXPECT_EQ(differ, 0u);

    // Stopped and paused streams are silent; running again goes on with the sound.
    MOV_Close(&open.back());
    EXPECT_FALSE(headless::SoundDeviceOpen());
    m = Movie("a.mpg");
    MOV_Play(m);
    for (int i = 0; i < 5; ++i) ASSERT_EQ(DrawFrame(m), DD_OK);
    for (void (*halt)(MOV_DATA*) : {MOV_Stop, MOV_Pause}) {
        halt(m);
        headless::ClearCapturedAudio();
        headless::AdvanceTime(1000);
        const std::vector<int16_t> quiet = headless::CapturedAudio();
        EXPECT_EQ(quiet.size(), 2u * 44100);
        EXPECT_EQ(FirstSound(quiet), quiet.size());
        MOV_Play(m);
        headless::ClearCapturedAudio();
        ASSERT_EQ(DrawFrame(m), DD_OK);
        ASSERT_EQ(DrawFrame(m), DD_OK);
        EXPECT_LT(FirstSound(headless::CapturedAudio()), 8u);
    }
    EXPECT_EQ(headless::LiveSoundBuffers(), 1);
    MOV_Close(&open.back());
    EXPECT_EQ(headless::LiveSoundBuffers(), 0);

    // A sound track at a rate the sound layer refuses: the pictures play, without sound.
    m = Movie("fast.avi");
    MOV_Play(m);
    EXPECT_EQ(DrawFrame(m), DD_OK);
    EXPECT_EQ(headless::LiveSoundBuffers(), 0);
}
}  // namespace
