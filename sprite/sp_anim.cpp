// Stepping display objects through sequences and pattern ranges; pushing and popping their
// visibility and running state; render layers and their fades.
#include "sprite/sp_draw.h"

#include <algorithm>

#include "platform/clock.h"
#include "platform/random.h"
#include "sprite/img_table.h"
#include "sprite/spr_set.h"

namespace {
const SPR_SEQ* SeqOf(const SP_ANIM* o, int seq) {
    if (seq < 0 || seq >= SPR_SEQUENCES || o->set >= SPR_SETS || !SPR_PATTERN_TABLE[o->set]) return nullptr;
    const SPR_SEQ* s = &SPR_SEQ_TABLE[o->set][seq];
    return s->step_count ? s : nullptr;
}

void StopFields(SP_ANIM* o) {
    o->running = 0;
    o->mode = 0;
    o->step = 0;
    o->loop = 0;
    o->seq = 0;
    o->wait = 0;
}

// Sequence mode. False when the object was deleted.
bool StepSequence(int id, SP_ANIM* o) {
    const SPR_SEQ* seq = SeqOf(o, o->seq);
    if (!seq) {  // the set went away or the sequence was emptied: nothing left to show
        StopFields(o);
        return true;
    }
    if (++o->step >= seq->step_count) {
        if (!o->loop) {
            StopFields(o);
            o->step = uint16_t(seq->step_count - 1);
            if (o->auto_delete) return SP_Delete(id), false;
            return true;
        }
        o->step = 0;
    }
    o->pattern = seq->steps[o->step].pattern;
    o->wait = int16_t(seq->steps[o->step].wait);
    return true;
}

// In a range the wait is read at the pattern going up, and one pattern below it going down.
int16_t RangeWait(const SP_ANIM* o) {
    const int at = o->seq >= 1 ? o->pattern : (o->pattern > 0 ? o->pattern - 1 : 0);
    const SPR_PATTERN* p = SPR_GetPattern(o->set, at);
    return int16_t(p ? p->wait : 0);
}

// Range modes: step is the first pattern, loop the last, seq the direction.
void StepRange(int id, SP_ANIM* o) {
    const int first = o->step, last = o->loop;
    const uint16_t previous = o->pattern;
    o->pattern = uint16_t(o->pattern + o->seq);
    const int p = o->pattern;
    const bool inside = first < p && p < last;
    switch (o->mode) {
        case 1:
            if (!inside) {
                o->seq = int16_t(-o->seq);
                o->mode = 0;
            }
            break;
        case 2:
            if (p < first || p > last) o->pattern = uint16_t(o->seq >= 1 ? first : last);
            break;
        case 3:
            if (!inside) o->seq = int16_t(-o->seq);
            break;
        default:
            if (!inside) {
                StopFields(o);
                o->pattern = previous;
                if (o->auto_delete) SP_Delete(id);
                return;
            }
            break;
    }
    o->wait = RangeWait(o);
}

// The level of a layer's fade after elapsed ms; modes 1 to 3 keep rising.
int64_t FadeLevel(const SP_LAYER& l, uint32_t now) {
    const uint64_t elapsed = now - l.start;
    // A zero duration counts as over at once.
    auto part = [&](uint64_t full) { return l.duration ? int64_t(elapsed * full / l.duration) : int64_t(full); };
    switch (l.fade_mode) {
        case 0: return std::max<int64_t>(31 - part(31), 0);
        case 1: return part(31);
        case 2: return 31 + part(31);
        default: return part(62);
    }
}

void FadeLayer(const SP_LAYER& l, uint32_t now) {
    if (SP_BLENDED* o = SP_Blended(int(l.sprite))) o->blend = uint16_t(FadeLevel(l, now));
}
}  // namespace

void SP_Update() {
    for (int id = 0; id < SP_OBJECTS; ++id) {
        SP_ANIM* o = SP_Anim(id);
        if (!o || !o->running) continue;
        // A wait of w holds the frame for w + 1 ticks.
        o->wait = int16_t(o->wait - 1);
        if (o->wait >= 0) continue;
        if (o->mode == 4)
            StepSequence(id, o);
        else
            StepRange(id, o);
    }
    SP_LayerFadeStep();
}

void SP_LayerFadeUpdate() { SP_LayerFadeStep(); }

void SP_LayerFadeStep() {
    const uint32_t now = plat::TimeMs();
    for (const SP_LAYER& l : SP_LAYER_TABLE)
        if (l.used) FadeLayer(l, now);
}

int SP_LayerCreate(int layer, int priority, int fade_mode, uint32_t duration) {
    if (layer < 0 || layer >= SP_LAYERS || SP_LAYER_TABLE[layer].used) return 0;
    const int id = SP_FindFree();
    if (id < 0) return 0;
    const int image = IMG_Create(640, 480, 0);
    if (image < 0) return 0;
    if (!SP_CreateStill(id, priority, 0, 0, image, nullptr)) {
        IMG_Release(image);
        return 0;
    }
    SP_TABLE[id]->flags = SP_ALPHA;
    SP_LAYER& l = SP_LAYER_TABLE[layer];
    l = SP_LAYER{1, uint8_t(fade_mode), uint32_t(id), uint32_t(image), 128, duration, plat::TimeMs()};
    FadeLayer(l, l.start);
    return 1;
}

int SP_LayerDelete(int layer) {
    if (layer < 0 || layer >= SP_LAYERS || !SP_LAYER_TABLE[layer].used) return 0;
    SP_Delete(int(SP_LAYER_TABLE[layer].sprite));
    IMG_Release(int(SP_LAYER_TABLE[layer].image));
    SP_LAYER_TABLE[layer] = SP_LAYER{};
    return 1;
}

void SP_LayerResetAll() {
    for (int i = 0; i < SP_LAYERS; ++i) SP_LayerDelete(i);
}

int SP_PlaySeq(int id, int seq, int loop, int restart) {
    SP_ANIM* o = SP_Anim(id);
    const SPR_SEQ* s = o ? SeqOf(o, seq) : nullptr;
    if (!s) return 0;
    o->running = 1;
    o->mode = 4;
    o->seq = int16_t(seq);
    o->loop = uint16_t(loop);
    if (restart) {
        o->step = 0;
        o->pattern = s->steps[0].pattern;
        o->wait = int16_t(s->steps[0].wait + 1);
    }
    return 1;
}

int SP_PlayRange(int id, int first, int last, int direction, int mode) {
    SP_ANIM* o = SP_Anim(id);
    if (!o) return 0;
    o->running = 1;
    o->mode = uint8_t(mode);
    o->step = uint16_t(first);
    o->loop = uint16_t(last);
    o->seq = int16_t(direction);
    o->pattern = uint16_t(direction >= 1 ? first : last);
    o->wait = RangeWait(o);
    return 1;
}

int SP_SetAnimMode(int id, int mode) {
    SP_ANIM* o = SP_Anim(id);
    if (!o) return 0;
    o->mode = uint8_t(mode);
    return 1;
}

int SP_SetAutoDelete(int id, int flag) {
    SP_ANIM* o = SP_Anim(id);
    if (!o) return 0;
    o->auto_delete = flag != 0;
    return 1;
}

int SP_RandomSeqStep(int id) {
    SP_ANIM* o = SP_Anim(id);
    if (!o) return 0;
    const SPR_SEQ* s = SeqOf(o, o->seq);
    o->step = uint16_t(s ? plat::Rand() % s->step_count : 0);
    return 1;
}

int SP_Stop(int id) {
    SP_ANIM* o = SP_Anim(id);
    if (!o) return 0;
    StopFields(o);
    return 1;
}

int SP_IsPlaying(int id) {
    const SP_ANIM* o = SP_Anim(id);
    return o && o->running ? 1 : 0;
}

int SP_SetSeqStep(int id, int seq, int step) {
    SP_ANIM* o = SP_Anim(id);
    const SPR_SEQ* s = o ? SeqOf(o, seq) : nullptr;
    if (!s || step < 0 || step >= s->step_count) return 0;
    o->pattern = s->steps[step].pattern;
    o->running = 0;
    return 1;
}

void SP_PushVisibleAll(int visible) {
    for (SP_OBJ* o : SP_TABLE) {
        if (!o) continue;
        o->saved_visible = int8_t(o->visible);
        o->visible = uint8_t(visible);
    }
}

void SP_PopVisibleAll() {
    for (SP_OBJ* o : SP_TABLE) {
        if (!o || o->saved_visible < 0) continue;
        o->visible = uint8_t(o->saved_visible);
        o->saved_visible = -1;
    }
}

void SP_PushRunningAll(int running) {
    for (int id = 0; id < SP_OBJECTS; ++id) {
        if (SP_ANIM* o = SP_Anim(id)) {
            o->saved_running = int8_t(o->running);
            o->running = uint8_t(running);
        }
    }
}

void SP_PopRunningAll() {
    for (int id = 0; id < SP_OBJECTS; ++id) {
        SP_ANIM* o = SP_Anim(id);
        if (!o || o->saved_running < 0) continue;
        o->running = uint8_t(o->saved_running);
        o->saved_running = -1;
    }
}

void SP_PopAll() {
    SP_PopVisibleAll();
    SP_PopRunningAll();
}
