// The game started on the headless platform the way the entry starts it, driven pass by pass on
// the manual clock, with its data and configuration in temporary directories.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "display/dd_display.h"
#include "platform/headless/headless.h"
#include "platform/window.h"
#include "services/fil_util.h"
#include "services/key_button.h"
#include "shell/app_frame.h"
#include "shell/app_main.h"
#include "shell/app_wnd.h"
#include "shell/msgbox.h"
#include "shell/sysdat.h"
#include "sprite/sp_object.h"
#include "tests/support/fixture.h"
#include "tests/support/grp_writer.h"

namespace apptest {

class GameTest : public ::testing::Test {
protected:
    support::TempDir dir;
    support::ConfigHome home;
    headless::Config config;  // the platform the next Start installs
    bool started = false;
    bool quit = false;        // WM_QUIT has come

    void SetUp() override {
        config.start_time = 100000;
        std::memset(&SYS_DATA, 0, sizeof SYS_DATA);
    }
    void TearDown() override {
        if (started) Finish();
        std::memset(&SYS_DATA, 0, sizeof SYS_DATA);
    }

    // A w x h picture of one colour at dir/<name>.grp (555).
    void Picture(const std::string& name, int w, int h, uint16_t colour) {
        std::filesystem::create_directories(std::filesystem::path(dir.File(name)).parent_path());
        support::GrpPicture p = support::MakeGrp(16, uint32_t(w), uint32_t(h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) support::Set555(p, uint32_t(x), uint32_t(y), colour);
        ASSERT_TRUE(support::WriteGrp(dir.File(name + ".grp"), p, true));
    }
    // "save\sys.dat" holding the block with these changes over the defaults.
    template <class F>
    void SysDat(F&& change) {
        SysData block{};
        std::swap(block, SYS_DATA);
        SYSDAT_Default();
        SYSDAT_KeyDefault();
        change(SYS_DATA);
        std::filesystem::create_directories(dir.File("save"));
        std::vector<uint8_t> bytes(SYSDAT_SIZE);
        SYSDAT_Pack(SYS_DATA, bytes.data());
        std::swap(block, SYS_DATA);
        ASSERT_TRUE(support::WriteBytes(dir.File("save/sys.dat"), bytes));
    }

    // The window and every module, as the entry makes them; `before` runs on the fresh platform
    // before the window is made (keys held, registry values).
    void Start(const std::function<void()>& before = {}) {
        headless::Reset(config);
        if (before) before();
        FIL_InitBaseDir();
        APP_FrameReset();
        APP_WndReset();
        MSGBOX_Reset();
        MOUSE_FRAME = MouseFrame{};  // what an earlier test's polls left
        quit = false;
        ASSERT_EQ(APP_CreateWindow(), 1);
        APP_GameInit();
        started = true;
    }
    // The same with a settings file that asks for a window.
    void StartWindowed(const std::function<void()>& before = {}) {
        SysDat([](SysData& d) { d.window_mode = 1; });
        Start(before);
    }
    // Dispatches the waiting messages; true once WM_QUIT has come.
    bool Pump() {
        plat::Msg m;
        while (!quit && plat::PeekMessage(&m)) {
            if (m.message == plat::WM_QUIT)
                quit = true;
            else
                plat::DispatchMessage(m);
        }
        return quit;
    }
    // The clock moves on by ms, the messages are handled, then one frame step unless paused.
    void Pass(uint32_t ms) {
        headless::AdvanceTime(ms);
        if (!Pump() && !APP_Paused) APP_FrameProc();
    }
    // Passes until the mode changes or `limit` passes went by; the passes made.
    int PassUntilMode(int32_t mode, int limit = 200) {
        int n = 0;
        while (GAME_MODE != mode && n < limit) Pass(34), ++n;
        return n;
    }
    void Finish() {
        if (APP_Window) plat::DestroyWindow(APP_Window);
        Pump();
        APP_GameTerm();
        started = false;
    }
    int ObjectX(int id) {
        const SP_OBJ* o = SP_Get(id);
        return o ? o->x : -9999;
    }
};

}  // namespace apptest
