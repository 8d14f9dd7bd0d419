// The battle rig: fixtures, a seeded battle, scripted input and paths, trace lines and golden traces.
#include "tests/support/battle_rig.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "battle/btl_common.h"
#include "battle/btl_frame.h"
#include "battle/chr_char.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/tama_data.h"
#include "battle/scr_camera.h"
#include "battle/waza_file.h"
#include "display/dd_display.h"
#include "platform/memory.h"
#include "platform/random.h"
#include "services/fil_util.h"
#include "services/key_button.h"
#include "shell/sysdat.h"
#include "sprite/sp_draw.h"
#include "tests/support/effect_fixture.h"
#include "tests/support/fixture.h"
#include "tests/support/golden.h"
#include "tests/support/mech_fixture.h"

#ifndef ORV_SOURCE_DIR
#error "ORV_SOURCE_DIR names the source tree"
#endif

namespace support {

struct BattleRig::Impl {
    HeadlessDisplay display;
    TempDir dir;
    SysData settings = SYS_DATA;  // given back at the end
};

void FeedKeys(uint16_t held) {
    KeyData& k = KEY_DATA;
    k.ring_index = int32_t((uint32_t(k.ring_index) + 1) & (KEY_HISTORY - 1));
    k.ring[size_t(k.ring_index)] = held;
    k.pressed = uint16_t((k.held ^ held) & held);
    k.released = uint16_t(k.held & ~held);
    k.held = held;
    k.repeat = k.pressed;
    k.source = held ? KEY_SOURCE_KEYBOARD : KEY_SOURCE_NONE;
}

BattleRig::BattleRig(const RigSetup& setup) : impl_(new Impl), setup_(setup) {
    if (!impl_->display.ok) return;
    plat::Srand(setup.seed);
    SYS_DATA.battle_voice_off = 1;  // barks would draw from the generator
    FIL_InitBaseDir();
    KEY_InitDefault();
    SP_Init();
    BTL_ResetGlobals();
    char sheets[16], name[16];
    MAP_StageName(sheets, sizeof sheets, setup.stage, 0, 0);
    MAP_StageName(name, sizeof name, setup.stage, setup.variant, 0);
    if (!WriteStage(name, sheets, setup.files) || !WriteMech("player", 0) || !WriteMech("zako01", 1) || !WriteEffect()) return;
    if (setup.more_files) setup.more_files();
    if (!BTL_Init()) return;
    MAP_Load(setup.stage, setup.variant, 0);
    for (const RigChar& c : setup.chars)
        if (CHR_Create(c.slot, c.team, c.control, c.mech, c.x, c.y, c.level, c.level_override) != 1) return;
    next_point_.assign(setup.chars.size(), 0);
    SCR_SetCamera(SCR_CAMERA_FOLLOW, CHR_Get(setup.follow), CHR_Get(setup.second));
    SCR_SetCameraSpeed(0, 1, 16);
    SCR_SetCameraRange(120, 80);
    int32_t x = 0, y = 0;
    SCR_GetCameraTarget(&x, &y);
    SCR_SetScrollPos(x, y);
    MAP_Redraw(x, y);
    BTL_SetState(BTL_STATE_FIGHT);
    BTL_RecordOn(true);
    BTL_Recorded().clear();
    ok_ = true;
}

int LoadStage(const MapSpec& spec) {
    const std::vector<uint8_t> f = MakeMap(spec);
    const int loaded = MAP_LoadFileData(f.data(), f.size());
    MAP_SetView(0, 0, MAP_VIEW_W, MAP_VIEW_H);
    SCR_SetScrRect(nullptr);
    return loaded;
}

void EndBattle() {
    BTL_Cleanup();
    MAP_Release();
    BTL_Term();
    TAMA_ClearList();
    SP_Reset();
    for (MechRecord& m : MECH_TABLE) {
        plat::Free(m.waza);
        plat::Free(m.cpu);
        m = MechRecord{};
    }
    BTL_ResetGlobals();
}

BattleRig::~BattleRig() {
    BTL_RecordOn(false);
    BTL_Recorded().clear();
    EndBattle();
    SYS_DATA = impl_->settings;
}

void BattleRig::Step() {
    ++frame_;
    if (setup_.before_frame) setup_.before_frame(frame_);
    FeedKeys(setup_.keys ? setup_.keys(frame_) : 0);
    for (size_t i = 0; i < setup_.chars.size(); ++i) {
        const RigChar& c = setup_.chars[i];
        LIST_NODE* n = CHR_Get(c.slot);
        if (!n || c.path.empty()) continue;
        const POINT goal = c.path[next_point_[i]];
        const int32_t dx = goal.x - n->x, dy = goal.y - n->y;
        const int32_t sx = std::abs(dx) < c.speed ? dx : (dx < 0 ? -c.speed : c.speed);
        const int32_t sy = std::abs(dy) < c.speed ? dy : (dy < 0 ? -c.speed : c.speed);
        LIST_SetPos(n, n->x + sx, n->y + sy, n->height);
        if (n->x == goal.x && n->y == goal.y) next_point_[i] = (next_point_[i] + 1) % c.path.size();
    }
    BTL_FrameUpdate();
    BTL_FrameDraw();
    DD_Present();
    calls_ = BTL_Recorded();
    BTL_Recorded().clear();
}

std::string BattleRig::TraceHeader() {
    return "# frame state at-start end | nodes bullets effects overlays overlays-drawn | camera x y | view x y ring x y | quake "
           "slow hold level offset | slot: x,y,height state phase technique heat units/levels target-slot ... || calls";
}

std::string BattleRig::TraceLine() const {
    char buf[256];
    const LIST_STATE& s = LIST_STATE_DATA;
    const MapData& m = MAP_DATA;
    const ScrQuake& q = SCR_QUAKE;
    std::snprintf(buf, sizeof buf, "%04d %d %d %d | %d %d %d %d %d | %d %d | %d %d %d %d | %d %d %d %d", frame_,
                  BTL_GetState(0), BTL_GetState(2), BTL_EndCount, s.listCnt, s.wpnCnt, s.eftCnt, s.bgObjCnt, MAP_OverlayCount(), CAMERA_DATA.scroll_x, CAMERA_DATA.scroll_y, m.scroll_x,
                  m.scroll_y, m.ring_x, m.ring_y, q.slow, q.hold, q.level, q.offset);
    std::string line = buf;
    for (int slot = 0; slot < CHR_SLOTS; ++slot) {
        const LIST_NODE* n = CHR_TABLE[slot];
        if (!n) continue;
        const CHR_DATA* c = n->chr;
        const LIST_NODE* t = LIST_Node(n->target);
        std::snprintf(buf, sizeof buf, " | %d: %d,%d,%d %d %d %d %d %d/%d %d", slot, n->x, n->y, n->height, c->state, c->phase,
                      c->waza, c->heat, c->units, c->levels, t && t->in_use && t->kind == LIST_KIND_CHR ? t->slot : -1);
        line += buf;
    }
    if (!calls_.empty()) {
        line += " ||";
        for (const std::string& call : calls_) line += " " + call + ";";
    }
    return line;
}

std::vector<std::string> BattleRig::Run(int frames) {
    std::vector<std::string> lines{TraceHeader()};
    for (int f = 0; f < frames; ++f) {
        Step();
        lines.push_back(TraceLine());
    }
    return lines;
}

std::string CheckTrace(const std::string& name, const std::vector<std::string>& lines) {
    const std::string path = std::string(ORV_SOURCE_DIR) + "/tests/" + name + ".trace";
    if (UpdateGolden()) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream out(path, std::ios::binary);
        for (const std::string& l : lines) out << l << '\n';
        return out.good() ? "" : "cannot write " + path;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return "no golden trace " + path + " (ORV_UPDATE_GOLDEN=1 writes it)";
    std::string l;
    size_t i = 0;
    for (; std::getline(in, l); ++i) {
        if (i >= lines.size()) return "the run ended at line " + std::to_string(i + 1) + " of " + path;
        if (l != lines[i]) return "line " + std::to_string(i + 1) + " differs from " + path + ":\n  golden: " + l + "\n  run:    " + lines[i];
    }
    return i == lines.size() ? "" : "the run has " + std::to_string(lines.size() - i) + " lines more than " + path;
}

}  // namespace support
