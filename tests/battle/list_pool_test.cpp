// The battle object pool: list edges, first-in first-out reuse under random traffic, the walk's
// visiting rules and what allocation and release do to records and display objects.
#include <gtest/gtest.h>

#include <deque>
#include <set>
#include <vector>

#include "battle/chr_char.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "platform/headless/headless.h"
#include "platform/random.h"
#include "sprite/sp_object.h"
#include "tests/battle/battle_test_util.h"

namespace {

struct Pool : ::testing::Test {
    void SetUp() override {
        headless::Reset();
        ASSERT_EQ(LIST_Init(), 1);
    }
    void TearDown() override {
        LIST_Term();
        SP_Reset();
    }
    static std::vector<int> Active() {
        std::vector<int> v;
        for (int i = LIST_STATE_DATA.head; i >= 0; i = LIST_DATA[i]->next) v.push_back(i);
        return v;
    }
    static int Alloc(int kind = LIST_KIND_EFT, int priority = 0) {
        LIST_NODE* n = LIST_Alloc(kind);
        if (!n) return -1;
        n->priority = int16_t(priority);
        return n->index;
    }
};

TEST_F(Pool, InitBuildsTheFreeListAndSaysSo) {
    const LIST_STATE& s = LIST_STATE_DATA;
    EXPECT_EQ(std::tuple(s.free_head, s.free_tail, s.head, s.tail, s.listCnt), std::tuple(0, 2047, -1, -1, 0));
    const std::vector<std::string> lines = battle_test::DebugLines();
    ASSERT_EQ(lines.size(), 1u);
    // "LIST_DATA に %d Byte のメモリを確保しました"
    EXPECT_EQ(lines[0], "LIST_DATA \x82\xc9 " + std::to_string(sizeof(LIST_NODE) * 2048) +
                            " Byte \x82\xcc\x83\x81\x83\x82\x83\x8a\x82\xf0\x8am\x95\xdb\x82\xb5\x82\xdc\x82\xb5\x82\xbd");
}

TEST_F(Pool, ListEdges) {
    const int a = Alloc();
    EXPECT_EQ(LIST_Free(a), -1);  // the only node
    EXPECT_EQ(std::tuple(LIST_STATE_DATA.head, LIST_STATE_DATA.tail), std::tuple(-1, -1));
    const int b = Alloc(), c = Alloc(), d = Alloc();
    EXPECT_EQ(Active(), (std::vector<int>{b, c, d}));
    EXPECT_EQ(LIST_Free(d), -1);  // the tail
    EXPECT_EQ(LIST_STATE_DATA.tail, c);
    EXPECT_EQ(LIST_Free(b), c);   // the head gives the new head
    EXPECT_EQ(LIST_STATE_DATA.head, c);
    EXPECT_EQ(LIST_DATA[c]->prev, -1);
    const int e = Alloc(), f = Alloc();
    EXPECT_EQ(LIST_Free(e), f);   // a middle node
    EXPECT_EQ(Active(), (std::vector<int>{c, f}));
    EXPECT_EQ(LIST_Free(e), -1);  // not in use: nothing happens
    EXPECT_EQ(LIST_STATE_DATA.listCnt, 2);
}

TEST_F(Pool, FreedNodesComeBackFirstInFirstOut) {
    std::vector<int> all;
    for (int i = 0; i < LIST_MAX; ++i) all.push_back(Alloc());
    EXPECT_EQ(Alloc(), -1);  // full: no node, the caller skips
    EXPECT_EQ(LIST_STATE_DATA.listCnt, LIST_MAX);
    for (int i : {700, 3, 2047, 0}) LIST_Free(i);
    for (int want : {700, 3, 2047, 0}) EXPECT_EQ(Alloc(), want);
    EXPECT_EQ(Alloc(), -1);
}

TEST_F(Pool, RandomTrafficKeepsEveryNodeOnOneList) {
    plat::Srand(1234);
    std::deque<int> free_model;
    for (int i = 0; i < LIST_MAX; ++i) free_model.push_back(i);
    std::vector<int> live;
    for (int op = 0; op < 30000; ++op) {
        if (!live.empty() && (plat::Rand() % 100 < 45 || free_model.empty())) {
            const size_t k = size_t(plat::Rand()) % live.size();
            LIST_Free(live[k]);
            free_model.push_back(live[k]);
            live.erase(live.begin() + long(k));
        } else {
            const int i = Alloc();
            ASSERT_EQ(i, free_model.front()) << op;
            free_model.pop_front();
            live.push_back(i);
        }
        if (op % 997) continue;
        std::set<int> seen;
        for (int i : Active()) ASSERT_TRUE(seen.insert(i).second && LIST_DATA[i]->in_use) << i;
        int frees = 0;
        for (int i = LIST_STATE_DATA.free_head; i >= 0; i = LIST_DATA[i]->free_next, ++frees)
            ASSERT_TRUE(seen.insert(i).second && !LIST_DATA[i]->in_use) << i;
        ASSERT_EQ(seen.size(), size_t(LIST_MAX));
        ASSERT_EQ(LIST_STATE_DATA.listCnt, int(live.size()));
        ASSERT_EQ(frees, int(free_model.size()));
    }
}

TEST_F(Pool, RecordsAndDisplayObjectsFollowTheNode) {
    for (int kind = 0; kind < LIST_KIND_COUNT; ++kind) {
        LIST_NODE* n = LIST_Alloc(kind);
        ASSERT_NE(n, nullptr);
        const bool records[] = {n->chr != nullptr, n->wp2 != nullptr, n->tama != nullptr, n->eft != nullptr, false,
                                n->bgobj != nullptr};
        for (int k = 0; k < LIST_KIND_COUNT; ++k) EXPECT_EQ(records[k], k == kind && k != 4) << kind << " " << k;
        EXPECT_EQ(n->sprite, LIST_NO_SPRITE);
    }
    LIST_NODE* n = LIST_DATA[0];
    n->chr->heat = 77;
    ASSERT_EQ(SP_CreateCallback(5, 128, nullptr), 1);
    n->sprite = 5;
    n->x = 40;
    n->owner = n->target = 3;
    LIST_Free(0);
    EXPECT_EQ(SP_Get(5), nullptr);
    EXPECT_EQ(n->chr, nullptr);
    for (int i = 0; i < LIST_MAX - LIST_KIND_COUNT; ++i) LIST_Alloc(LIST_KIND_GAUGE);  // node 0 comes back last
    n = LIST_Alloc(LIST_KIND_CHR);
    ASSERT_EQ(n, LIST_DATA[0]);
    EXPECT_EQ(n->chr->heat, 0);
    EXPECT_EQ(std::tuple(n->x, n->owner, n->target, n->fire_order), std::tuple(0, -1, -1, -999));
    LIST_Term();
    EXPECT_EQ(LIST_STATE_DATA.listCnt, 0);
    EXPECT_EQ(LIST_Alloc(0), nullptr);  // no pool
}

// Walk updates recorded by node; they may add and delete nodes.
std::vector<int> g_visits;
int g_spawn_priority = -1;
int VisitUpdate() {
    LIST_NODE* n = LIST_CURRENT.node;
    g_visits.push_back(n->index);
    if (n->index == 1 && g_spawn_priority >= 0) {
        LIST_NODE* made = LIST_Alloc(LIST_KIND_EFT);
        made->priority = int16_t(g_spawn_priority);
        g_spawn_priority = -1;
    }
    if (n->index == 2) LIST_CURRENT.next = LIST_Free(2);  // deletes itself and goes on
    return 1;
}

TEST_F(Pool, WalkVisitsByPriorityWithNodesAddedAndDeleted) {
    const LIST_UPDATE_TABLE table = {nullptr, nullptr, nullptr, VisitUpdate, nullptr, nullptr};
    // Nodes 0..4 with priorities 3, 5, 5, 0, 5 and a held node 5; node 1 makes a node, node 2
    // deletes itself.
    for (int p : {3, 5, 5, 0, 5}) Alloc(LIST_KIND_EFT, p);
    LIST_NODE* held = LIST_Alloc(LIST_KIND_GAUGE);  // no update in this table: passed over
    held->priority = 5;
    for (auto [spawn, want_first, want_second] :
         {std::tuple{4, std::vector<int>{1, 2, 4, 6, 0, 3}, std::vector<int>{1, 4, 6, 0, 3}},
          {8, std::vector<int>{1, 4, 0, 3}, std::vector<int>{7, 1, 4, 0, 3}}}) {
        g_spawn_priority = spawn;
        g_visits.clear();
        LIST_Walk(table);
        EXPECT_EQ(g_visits, want_first) << spawn;  // made below priority 5: seen in the same walk only
        g_visits.clear();
        LIST_Walk(table);
        EXPECT_EQ(g_visits, want_second) << spawn;
        if (spawn == 4) LIST_Free(6);
    }
    EXPECT_EQ(LIST_CURRENT.owner, nullptr);
}

}  // namespace
