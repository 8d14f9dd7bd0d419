// Helpers of the weapon tests: the melee fixture with the fixture bullets loaded, a shooter in a
// firing technique aimed at a dummy, fire orders and bullets run as the walk runs them, and
// records edited in place as the editors do.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "battle/tama_obj.h"
#include "battle/wpn_fire.h"
#include "services/mth_math.h"
#include "tests/battle/melee_test_util.h"
#include "tests/support/tama_fixture.h"

namespace weapons_test {

struct Weapons : melee_test::Melee {
    void SetUp() override {
        Melee::SetUp();
        ASSERT_TRUE(support::WriteFixtureBullets());
        ASSERT_EQ(TAMA_Load(), 1);
    }
    // The player in slot 0 at (x, y) starting a technique that fires the weapon (its keyframe lasts
    // `length` frames), aimed at a CPU dummy in slot 1 at (tx, ty); its fire order, or null.
    LIST_NODE* Shoot(const support::WpnSpec& w, int32_t x = 300, int32_t y = 300, int32_t tx = 700, int32_t ty = 300,
                     int16_t length = 400) {
        Techniques("player", {support::FiringTechnique(w, length)});
        shooter = Make(0, 0, CHR_PLAYER, x, y);
        dummy = Make(1, 1, CHR_CPU, tx, ty);
        Aim(shooter, dummy);
        Current(shooter);
        EXPECT_EQ(CHR_WazaStart(shooter, 0), 1);
        LIST_NODE* order = LIST_Node(shooter->fire_order);
        return order && order->in_use && order->kind == LIST_KIND_WP2 ? order : nullptr;
    }
    // The table replaced by these records.
    static void Table(const std::vector<support::TamaSpec>& records) {
        ASSERT_TRUE(support::WriteTamaFile(records));
        ASSERT_EQ(TAMA_Load(), 1);
    }
    // Bullet `bullet` of the table fired once from the shooter's box 6 straight at the dummy (the
    // shot's order then ends); the bullet, or null.
    LIST_NODE* FireOne(const std::vector<support::TamaSpec>& records, int16_t bullet = 0, int32_t tx = 700, int32_t ty = 300) {
        Table(records);
        LIST_NODE* order = Shoot(support::FixtureWeapon(bullet), 300, 300, tx, ty);
        if (!order) return nullptr;
        Run(order);
        const std::vector<LIST_NODE*> b = Bullets();
        return b.empty() ? nullptr : b.back();  // the newest
    }
    // One update of the node as the walk gives it.
    static void Run(LIST_NODE* n) {
        LIST_SetCurrent(n);
        if (n->kind == LIST_KIND_WP2) WPN_Update();
        else if (n->kind == LIST_KIND_TAMA) TAMA_Update();
    }
    // Frames of the bullet as the battle runs it (while it lives): its update, then the animation step.
    static void Frames(LIST_NODE* b, int n) {
        for (int i = 0; i < n && b->in_use; ++i) {
            Run(b);
            BTL_AnimStep();
        }
    }
    // The live nodes of a kind in list order.
    static std::vector<LIST_NODE*> Nodes(int kind) {
        std::vector<LIST_NODE*> v;
        for (LIST_NODE* n = LIST_Node(LIST_STATE_DATA.head); n; n = LIST_Node(n->next))
            if (n->kind == kind) v.push_back(n);
        return v;
    }
    static std::vector<LIST_NODE*> Bullets() { return Nodes(LIST_KIND_TAMA); }
    // The record of a bullet that should still live. A bullet that is gone fails the test here
    // rather than crash the binary, and reads as phase and keyframe 255 with nothing made.
    static const TAMA_OBJ& Tama(const LIST_NODE* b) {
        static TAMA_OBJ gone;
        if (b && b->in_use && b->tama) return *b->tama;
        ADD_FAILURE() << "bullet " << (b ? b->index : -1) << " is gone";
        gone = TAMA_OBJ{};
        gone.phase = gone.key = 255;
        return gone;
    }
    // Heading of a bullet's flight in whole degrees (0 down, 90 left, 270 right).
    static int Heading(const LIST_NODE* b) { return MTH_GetVecDirIndex(1, b->vx, b->vy); }
    // A field of a fixture record's phase written in place.
    static uint8_t* PhaseBytes(int bullet, int phase) {
        return TAMA_Record(bullet) + TAMA_PHASE_OFFSET + phase * TAMA_PHASE_SIZE;
    }
    static void Poke16(int bullet, int phase, int off, int v) {
        uint8_t* p = PhaseBytes(bullet, phase);
        p[off] = uint8_t(v), p[off + 1] = uint8_t(unsigned(v) >> 8);
    }
    static void Poke32(int bullet, int phase, int off, int32_t v) {
        uint8_t* p = PhaseBytes(bullet, phase);
        for (int i = 0; i < 4; ++i) p[off + i] = uint8_t(uint32_t(v) >> (8 * i));
    }
    static void Param(int bullet, int phase, int i, int32_t v) { Poke32(bullet, phase, TAMA_PHASE_PARAMS + 4 * i, v); }
    static void Param2(int bullet, int phase, int i, int32_t v) { Poke32(bullet, phase, TAMA_PHASE_PARAMS2 + 4 * i, v); }
    LIST_NODE* shooter = nullptr;
    LIST_NODE* dummy = nullptr;
};

}  // namespace weapons_test
