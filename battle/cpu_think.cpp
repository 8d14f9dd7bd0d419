// The CPU think step: line of sight, reactions, the action machine, the pattern machine, the
// elimination draw and the condition masks.
#include <algorithm>

#include "battle/btl_common.h"
#include "battle/btl_frame.h"
#include "battle/chr_char.h"
#include "battle/cpu_think.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/waza_exec.h"
#include "platform/random.h"
#include "services/mth_math.h"
#include "services/sound/voice_bark.h"

namespace {
constexpr int kPatternBark = 2;      // battle voice event of a pattern step
constexpr int kMaxPasses = 10000;   // draws of at least 1 per mille settle long before this
constexpr int32_t kSure = 1000;      // a chance no draw (0..999) can fail

CPU_WORK* WorkOf(const LIST_NODE* n) {
    return n && n->slot >= 0 && n->slot < CHR_SLOTS ? &CPU_WORK_TABLE[n->slot] : nullptr;
}

LIST_NODE* TargetOf(const LIST_NODE* n) {
    LIST_NODE* t = n ? LIST_Node(n->target) : nullptr;
    return t && t->in_use && t->kind == LIST_KIND_CHR && t->chr ? t : nullptr;
}

bool Draw(int32_t chance) { return BTL_RandMod(1000) < chance; }

// The random part of a wait or delay: drawn only when the range is at least 1.
int32_t RandomPart(int32_t range) { return range >= 1 ? plat::Rand() % range : 0; }

bool InBand(const LIST_NODE* n, const LIST_NODE* t, int32_t lo, int32_t hi) {
    const int64_t d2 = MTH_Dist2(n->x, n->y, t->x, t->y);
    return d2 >= int64_t(lo) * lo && d2 <= int64_t(hi) * hi;
}

// What a technique start demands of heat: none running and a cool gauge, or a cancellable one below
// the top.
bool HeatAllows(const CHR_DATA* c) {
    return !c->waza_active ? c->heat == 0 : c->cancel_ok && c->heat < CHR_HEAT_MAX;
}

// The full test of an action or a step: level, a chance draw, durability left, distance band and
// the two masks, in that order (a failed test draws no further).
struct EntryTest {
    int8_t min_level;
    int16_t chance, per_level;
    int32_t max_levels, min_dist, max_dist;
    uint16_t own, target;
};
EntryTest TestOf(const CPU_ACTION& a) {
    return {a.min_level(), a.chance(), a.chance_per_level(), a.max_levels(), a.min_dist(), a.max_dist(),
            a.own_mask(), a.target_mask()};
}
EntryTest TestOf(const CPU_STEP& s) {
    return {s.min_level(), s.chance(), s.chance_per_level(), s.max_levels(), s.min_dist(), s.max_dist(),
            s.own_mask(), s.target_mask()};
}
int32_t ChanceOf(const EntryTest& e, int level) { return int32_t(e.chance) + int32_t(e.per_level) * (level - e.min_level); }

bool Passes(const LIST_NODE* n, const LIST_NODE* t, const CPU_WORK& w, const EntryTest& e) {
    if (e.min_level > w.level) return false;
    if (!Draw(ChanceOf(e, w.level))) return false;
    if (n->chr->levels > e.max_levels) return false;
    if (!InBand(n, t, e.min_dist, e.max_dist)) return false;
    return !CPU_OwnExcluded(n, e.own) && !CPU_TargetExcluded(t, e.target);
}

bool StepPasses(const LIST_NODE* n, const LIST_NODE* t, const CPU_WORK& w, const CPU_STEP& s) {
    return Passes(n, t, w, TestOf(s)) && HeatAllows(n->chr);
}

// The elimination draw: candidates tested in full, then passes of draws at each survivor's chance
// until one is left; a pass that would drop the last one restores those it dropped. Survivors that
// cannot fail a draw (chance 1000 or more) can never be told apart: once only such survivors are
// left the passes stop, and the last of them in slot order wins (the last to pass its draw). The
// remembered winner, or -1.
template <class Full, class Chance>
int Eliminate(const int* cand, int count, Full full, Chance chance) {
    bool alive[CPU_PATTERNS] = {};
    int alive_n = 0, remembered = -1;
    for (int i = 0; i < count; ++i)
        if ((alive[i] = full(cand[i]))) ++alive_n, remembered = cand[i];
    auto undecided = [&] {
        if (alive_n < 2) return false;
        for (int i = 0; i < count; ++i)
            if (alive[i] && chance(cand[i]) < kSure) return true;
        return false;
    };
    for (int pass = 0; undecided() && pass < kMaxPasses; ++pass) {
        bool dropped[CPU_PATTERNS] = {};
        for (int i = 0; i < count; ++i) {
            if (!alive[i]) continue;
            if (Draw(chance(cand[i]))) {
                remembered = cand[i];
                continue;
            }
            if (alive_n == 1) {
                for (int j = 0; j < count; ++j)
                    if (dropped[j]) alive[j] = true, dropped[j] = false, ++alive_n;
                continue;
            }
            alive[i] = false, dropped[i] = true, --alive_n;
        }
    }
    return alive_n ? remembered : -1;
}

// The current action of the work record, when it has one that is not empty.
bool CurrentAction(const CPU_WORK& w, const CPU_DATA* d, CPU_ACTION* out) {
    if (!d || w.action < 0 || w.action >= CPU_ACTIONS) return false;
    *out = CPU_Action(d, w.action);
    return !out->empty();
}

// The step of the current pattern that runs (the one before the next).
bool CurrentStep(const CPU_WORK& w, const CPU_DATA* d, CPU_STEP* out) {
    if (!d || w.pattern < 0 || w.pattern >= CPU_PATTERNS || w.next_step < 1 || w.next_step > CPU_STEPS) return false;
    *out = CPU_Pattern(d, w.pattern).step(w.next_step - 1);
    return true;
}

void EnterActionState(LIST_NODE* n, CPU_WORK& w, const CPU_ACTION& a) {
    CHR_SetState(n, a.state());
    w.left = a.duration();
    w.mode = 2;
}

// Phase 3's draw: with an action running, its pattern chance may start a pattern.
void PatternDraw(const CPU_WORK& w, const CPU_DATA* d) {
    CPU_ACTION a;
    if (CurrentAction(w, d, &a) && Draw(a.pattern_chance())) CPU_ChoosePattern(0);
}
}  // namespace

int CPU_OwnExcluded(const LIST_NODE* n, uint16_t mask) {
    const CHR_DATA* c = n->chr;
    const CPU_WORK* w = WorkOf(n);
    const int s = c->state;
    const bool holds[13] = {
        n->height == 0,
        n->height > 0,
        s == 0,
        s == 1,
        s >= 2 && s <= 4,
        s == 5,
        false,
        c->phase != 0,
        c->heat > 0 && !c->waza_active,
        w && w->phase == 4,
        c->heat == 0,
        c->line_flag == 0,
        c->line_flag == 1,
    };
    for (int b = 0; b < 13; ++b)
        if ((mask >> b & 1) && holds[b]) return 1;
    return 0;
}

int CPU_TargetExcluded(const LIST_NODE* t, uint16_t mask) {
    if (!t || !t->chr) return 0;
    const int s = t->chr->state;
    const bool holds[10] = {t->height == 0, t->height > 0, s == 0, s == 1, s == 2, s >= 2 && s <= 4,
                            false,          s == 6,        s == 7, s == 8};
    for (int b = 0; b < 10; ++b)
        if ((mask >> b & 1) && holds[b]) return 1;
    return 0;
}

void CPU_StartAction(LIST_NODE* n, int action) {
    CPU_WORK* w = WorkOf(n);
    const CPU_DATA* d = w ? CPU_GetData(w->data) : nullptr;
    if (!d || action < 0 || action >= CPU_ACTIONS) return;
    const CPU_ACTION a = CPU_Action(d, action);
    w->mode = 1;
    w->left = a.delay();
    w->priority = a.priority();
    w->action = int8_t(action);
    w->frames = 0;
    if (a.delay() < 1) EnterActionState(n, *w, a);
}

int CPU_TryStep(LIST_NODE* n, int p, int s) {
    CPU_WORK* w = WorkOf(n);
    const CPU_DATA* d = w ? CPU_GetData(w->data) : nullptr;
    const LIST_NODE* t = TargetOf(n);
    if (!d || !t || p < 0 || p >= CPU_PATTERNS || s < 0 || s >= CPU_STEPS) return 0;
    const CPU_STEP step = CPU_Pattern(d, p).step(s);
    if (step.technique() < 0 || !StepPasses(n, t, *w, step)) return 0;
    CHR_WazaStart(n, step.technique());
    w->pattern = int8_t(p);
    w->next_step = uint16_t(s + 1);
    w->step = step.p;
    w->step_wait = uint16_t(step.wait() + RandomPart(int32_t(step.wait_per_level()) * w->level));
    w->priority = step.priority();
    w->frames = 0;
    w->phase = 4;
    VOICE_PlayBark(n->chr->mech, kPatternBark);
    return 1;
}

int CPU_ChooseAction() {
    LIST_NODE* n = LIST_CURRENT.node;
    CPU_WORK* w = WorkOf(n);
    const CPU_DATA* d = w ? CPU_GetData(w->data) : nullptr;
    const LIST_NODE* t = TargetOf(n);
    if (!d || !t) return 0;
    int cand[CPU_ACTIONS], count = 0;
    for (int a = 0; a < CPU_ACTIONS; ++a)
        if (!CPU_Action(d, a).empty() && a != w->action) cand[count++] = a;
    const int won = Eliminate(
        cand, count, [&](int a) { return Passes(n, t, *w, TestOf(CPU_Action(d, a))); },
        [&](int a) { return ChanceOf(TestOf(CPU_Action(d, a)), w->level); });
    if (won < 0) return 0;
    CPU_StartAction(n, won);
    return 1;
}

int CPU_ChoosePattern(int combo) {
    LIST_NODE* n = LIST_CURRENT.node;
    CPU_WORK* w = WorkOf(n);
    const CPU_DATA* d = w ? CPU_GetData(w->data) : nullptr;
    const LIST_NODE* t = TargetOf(n);
    if (!d || !t) return 0;
    int cand[CPU_PATTERNS], count = 0;
    for (int p = 0; p < CPU_PATTERNS; ++p) {
        const CPU_PATTERN pat = CPU_Pattern(d, p);
        if (pat.step(0).technique() >= 0 && p != w->pattern && (!combo || pat.flag())) cand[count++] = p;
    }
    const int won = Eliminate(
        cand, count, [&](int p) { return StepPasses(n, t, *w, CPU_Pattern(d, p).step(0)); },
        [&](int p) { return ChanceOf(TestOf(CPU_Pattern(d, p).step(0)), w->level); });
    return won >= 0 ? CPU_TryStep(n, won, 0) : 0;
}

int CPU_React() {
    LIST_NODE* n = LIST_CURRENT.node;
    CHR_DATA* c = n->chr;
    CPU_WORK* w = WorkOf(n);
    const CPU_DATA* d = w ? CPU_GetData(w->data) : nullptr;
    const LIST_NODE* t = TargetOf(n);
    if (!d || !t) return 0;
    const CHR_DATA* tc = t->chr;
    if (!tc->waza_started || tc->waza < 0 || t->target != n->index || n->height != 0) return 0;
    const int index = tc->waza / 3;
    if (index >= CPU_REACTIONS) return 0;
    const CPU_REACTION r = CPU_Reaction(d, index);
    const int kind = r.kind();
    if (kind != 0 && kind != 1) return 0;
    if (int8_t(r.priority()) < int8_t(w->priority)) return 0;
    if (r.min_level() > w->level) return 0;
    const int16_t chance = int16_t(r.chance() + r.chance_per_level() * (w->level - r.min_level()));
    if (!Draw(chance) || !InBand(n, t, r.min_dist(), r.max_dist()) || CPU_OwnExcluded(n, r.own_mask())) return 0;
    if (kind == 0 && !HeatAllows(c)) return 0;
    if (kind == 1 && (r.value() < 0 || r.value() >= CPU_ACTIONS || CPU_Action(d, r.value()).empty())) return 0;
    const int32_t delay = r.delay() + RandomPart(int32_t(r.delay_per_level()) * (w->level - r.min_level()));
    if (kind == 0) {
        w->reaction = uint16_t(index);
        w->left = delay;
        if (delay <= 0) {
            CHR_WazaStart(n, r.value());
            w->phase = 6;
        } else {
            w->phase = 5;
        }
    } else {
        w->action = int8_t(r.value());
        w->left = delay;
        w->mode = 1;
        if (delay < 1) EnterActionState(n, *w, CPU_Action(d, w->action));
    }
    w->priority = r.priority();
    w->frames = 0;
    return 1;
}

int CPU_Think() {
    LIST_NODE* n = LIST_CURRENT.node;
    CHR_DATA* c = n->chr;
    CPU_WORK* w = WorkOf(n);
    const LIST_NODE* t = TargetOf(n);
    if (!w || !t) return 0;
    LIST_CURRENT.cpu = w;
    const CPU_DATA* d = CPU_GetData(w->data);
    if (!d) return 0;  // no behaviour data: nothing to think with
    if (BTL_IsHudOff() || !BTL_CpuOn || BTL_EndCount != 0 || c->state >= 6) return 0;
    c->line_flag = uint32_t(MAP_CheckLine(n->x, n->y, t->x, t->y, MAP_WALL));
    if (CPU_React()) return 1;

    CPU_ACTION a;
    switch (w->mode) {
        case 0: CPU_ChooseAction(); break;
        case 1:
            if (--w->left < 1 && CurrentAction(*w, d, &a)) EnterActionState(n, *w, a);
            break;
        case 2:
            if (CurrentAction(*w, d, &a) && (((a.own_mask() & CPU_DROP_BLOCKED) && c->line_flag == 0) ||
                                             ((a.own_mask() & CPU_DROP_CLEAR) && c->line_flag == 1)))
                w->action = -1;
            break;
        default: break;
    }

    CPU_STEP step;
    switch (w->phase) {
        case 3: PatternDraw(*w, d); break;
        case 4: {
            const bool has = CurrentStep(*w, d, &step);
            const int rule = has ? step.end_rule() : -1;
            if ((rule == 0 || rule == 1) && w->frames >= int32_t(w->step_wait) + 1) {
                if (c->cancel_ok && Draw(step.combo_chance())) CPU_ChoosePattern(1);
                else if (!CPU_TryStep(n, w->pattern, w->next_step)) w->phase = 6;
            }
            const int now = CurrentStep(*w, d, &step) ? step.end_rule() : rule;
            if (now != 1 || n->height == 0) ++w->frames;
            break;
        }
        case 5:
            if (--w->left <= 0 && w->reaction < CPU_REACTIONS) {
                CHR_WazaStart(n, CPU_Reaction(d, w->reaction).value());
                w->phase = 6;
            }
            break;
        case 6:
            if (!c->waza_active) {
                CHR_EndWaza(n);
                w->phase = 3;
            } else if (c->phase == 0) {
                PatternDraw(*w, d);
            }
            break;
        default: break;
    }
    return 1;
}
