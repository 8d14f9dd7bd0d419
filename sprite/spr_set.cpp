// Animation sets: the ".spr" reader (checked against the bytes present before anything is kept),
// freeing, and the pattern lookup.
#include "sprite/spr_set.h"

#include <cstring>
#include <memory>
#include <vector>

#include "display/lz_codec.h"
#include "platform/bytes.h"
#include "platform/files.h"
#include "services/fil_util.h"
#include "sprite/img_table.h"
#include "sprite/spr_fix.h"

SPR_SET SPR_SET_TABLE[SPR_SETS];
SPR_PATTERN* SPR_PATTERN_TABLE[SPR_SETS];
SPR_SEQ SPR_SEQ_TABLE[SPR_SETS][SPR_SEQUENCES];

namespace {
constexpr int64_t kMaxFile = int64_t(64) << 20;  // far above any animation set
constexpr size_t kPatternHead = 10;
constexpr size_t kPartSize = 40;
constexpr size_t kHitBytes = SPR_HIT_BOXES * 16;
constexpr size_t kStepSize = 8;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// A front-to-back reader that refuses to pass the end.
struct Stream {
    const uint8_t* p;
    size_t left;
    bool Take(size_t n, const uint8_t** out) {
        if (n > left) return false;
        *out = p;
        p += n;
        left -= n;
        return true;
    }
    bool U16(uint16_t* v) {
        const uint8_t* b;
        if (!Take(2, &b)) return false;
        *v = plat::Get16(b);
        return true;
    }
};

RECT GetRect(const uint8_t* b) {
    return RECT{int32_t(plat::Get32(b)), int32_t(plat::Get32(b + 4)), int32_t(plat::Get32(b + 8)),
                int32_t(plat::Get32(b + 12))};
}

// The whole file as read, before images are loaded: nothing here is kept on refusal.
struct Parsed {
    std::vector<std::string> names;
    struct Pattern {
        uint16_t head[5];
        std::vector<SPR_PART> parts;
        RECT hit[SPR_HIT_BOXES];
    };
    std::vector<Pattern> patterns;
    std::vector<std::vector<SPR_STEP>> seqs;
};

bool Refuse(const char* path, const char* why) {
    SYS_DebugPrint("%s: %s", path, why);
    return false;
}

bool Parse(const char* path, Stream s, Parsed& out) {
    uint16_t images;
    if (!s.U16(&images)) return Refuse(path, "stream cut short");
    if (images > SPR_MAX_IMAGES) return Refuse(path, "more than 32 images");
    for (int i = 0; i < images; ++i) {
        const void* nul = std::memchr(s.p, 0, s.left);
        if (!nul) return Refuse(path, "image name not terminated");
        size_t n = size_t(static_cast<const uint8_t*>(nul) - s.p);
        out.names.emplace_back(reinterpret_cast<const char*>(s.p), n);
        s.p += n + 1;
        s.left -= n + 1;
    }
    uint16_t count;
    if (!s.U16(&count)) return Refuse(path, "stream cut short");
    // Every pattern takes at least its head and hit boxes: check before reserving.
    if (uint64_t(count) * (kPatternHead + kHitBytes) > s.left) return Refuse(path, "stream cut short");
    out.patterns.resize(count);
    for (Parsed::Pattern& pat : out.patterns) {
        const uint8_t* b = nullptr;
        if (!s.Take(kPatternHead, &b)) return Refuse(path, "stream cut short");
        for (int k = 0; k < 5; ++k) pat.head[k] = plat::Get16(b + 2 * k);
        if (uint64_t(pat.head[0]) * kPartSize > s.left) return Refuse(path, "stream cut short");
        pat.parts.resize(pat.head[0]);
        for (SPR_PART& part : pat.parts) {
            s.Take(kPartSize, &b);
            part.image = plat::Get16(b);
            part.reserved0 = plat::Get16(b + 2);
            part.dest = GetRect(b + 4);
            part.src = GetRect(b + 20);
            part.flags = plat::Get16(b + 36);
            part.reserved1 = plat::Get16(b + 38);
            if (part.image >= images) return Refuse(path, "part names an image the file lacks");
        }
        if (!s.Take(kHitBytes, &b)) return Refuse(path, "stream cut short");
        for (int k = 0; k < SPR_HIT_BOXES; ++k) pat.hit[k] = GetRect(b + 16 * k);
    }
    out.seqs.resize(SPR_SEQUENCES);
    for (std::vector<SPR_STEP>& seq : out.seqs) {
        uint16_t steps;
        if (!s.U16(&steps)) return Refuse(path, "stream cut short");
        if (uint64_t(steps) * kStepSize > s.left) return Refuse(path, "stream cut short");
        seq.resize(steps);
        for (SPR_STEP& st : seq) {
            const uint8_t* b = nullptr;
            s.Take(kStepSize, &b);
            st.pattern = plat::Get16(b);
            st.wait = plat::Get16(b + 2);
            std::memcpy(st.reserved, b + 4, 4);
            if (st.pattern >= count) return Refuse(path, "step names a pattern the file lacks");
        }
    }
    return true;
}

// The number of a "btst_NN" or "face_NN" file, or -1.
int FileNumber(const char* path) {
    const char* sep = nullptr;
    for (const char* p = path; *p; ++p)
        if (IsSeparator(*p) && p != path) sep = p;
    if (!sep) return -1;
    const char* name = sep + 1;
    if (std::strncmp(name, "btst", 4) != 0 && std::strncmp(name, "face", 4) != 0) return -1;
    if (std::strlen(name) < 7) return -1;
    return (name[5] - 48) * 10 + (name[6] - 48);
}

// Each name replaces the text after the last separator of one working copy, so a name holding a
// separator moves the directory of the names after it.
void LoadImages(int set, const char* path, const Parsed& in, int video) {
    std::string work = path;
    SPR_SET& head = SPR_SET_TABLE[set];
    head.image_count = uint16_t(in.names.size());
    for (size_t i = 0; i < in.names.size(); ++i) {
        size_t cut = work.find_last_of("\\/");
        work.erase(cut == std::string::npos ? 0 : cut + 1);
        work += in.names[i];
        work += ".bmp";
        int id = work.size() < size_t(FIL_PATH_MAX) ? IMG_Load(work.c_str(), video) : -1;
        head.image_ids[i] = id < 0 ? SPR_NO_IMAGE : uint16_t(id);
    }
}

void Commit(int set, const char* path, const Parsed& in, int video) {
    LoadImages(set, path, in, video);
    SPR_SET& head = SPR_SET_TABLE[set];
    const int number = FileNumber(path);
    head.pattern_count = uint16_t(in.patterns.size());
    // One record more than the count, so a set with no patterns is still marked loaded.
    auto* pats = new SPR_PATTERN[in.patterns.size() + 1]{};
    for (size_t p = 0; p < in.patterns.size(); ++p) {
        const Parsed::Pattern& src = in.patterns[p];
        SPR_PATTERN& dst = pats[p];
        dst.part_count = src.head[0];
        dst.wait = src.head[1];
        dst.reserved[0] = src.head[2];
        dst.reserved[1] = src.head[3];
        dst.flip = src.head[4];
        if (!src.parts.empty()) {
            dst.parts = new SPR_PART[src.parts.size()];
            for (size_t k = 0; k < src.parts.size(); ++k) {
                dst.parts[k] = src.parts[k];
                dst.parts[k].image = head.image_ids[src.parts[k].image];
                if (number >= 0) SPR_ApplyCorrections(number, &dst.parts[k]);
            }
        }
        std::memcpy(dst.hit, src.hit, sizeof dst.hit);
    }
    SPR_PATTERN_TABLE[set] = pats;
    for (int q = 0; q < SPR_SEQUENCES; ++q) {
        const std::vector<SPR_STEP>& steps = in.seqs[q];
        SPR_SEQ& seq = SPR_SEQ_TABLE[set][q];
        seq.step_count = uint16_t(steps.size());
        seq.steps = steps.empty() ? nullptr : new SPR_STEP[steps.size()];
        if (!steps.empty()) std::memcpy(seq.steps, steps.data(), steps.size() * sizeof(SPR_STEP));
    }
}
}  // namespace

int SPR_FindFreeSet() {
    for (int s = 0; s < SPR_SETS; ++s)
        if (!SPR_PATTERN_TABLE[s]) return s;
    return -1;
}

int SPR_LoadBytes(int set, const char* path, const uint8_t* data, size_t size, int video) {
    if (set < 0 || set >= SPR_SETS || !path || (!data && size)) return 0;
    if (SPR_PATTERN_TABLE[set]) return Refuse(path, "set already in use"), 0;
    if (size < 3 || std::memcmp(data, "SPR", 3) != 0) return Refuse(path, "not an animation set"), 0;
    if (size < 7) return Refuse(path, "block cut short"), 0;
    const uint32_t unpacked = plat::Get32(data + 3);
    if (unpacked > LZ_MaxExpansion(size - 3)) return Refuse(path, "unpacked size exceeds the file"), 0;
    // Zero-filled: tokens that stop before the declared size leave zeros, never old heap bytes.
    std::unique_ptr<uint8_t[]> buf(new uint8_t[size_t(unpacked) + 1]());
    if (!LZ_Decode(data + 3, size - 3, buf.get(), unpacked, nullptr, nullptr)) return 0;
    Parsed parsed;
    if (!Parse(path, Stream{buf.get(), unpacked}, parsed)) return 0;
    Commit(set, path, parsed, video);
    return 1;
}

int SPR_Load(int set, const char* path, int video) {
    plat::File f;
    if (!path || !f.Open(path, plat::File::Mode::Read)) return 0;
    const int64_t size = f.Size();
    if (size < 0 || size > kMaxFile) return Refuse(path, "file too large"), 0;
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (f.Read(bytes.data(), bytes.size()) != bytes.size()) return 0;
    return SPR_LoadBytes(set, path, bytes.data(), bytes.size(), video);
}

void SPR_FreeSet(int set) {
    if (set < 0 || set >= SPR_SETS || !SPR_PATTERN_TABLE[set]) return;
    SPR_SET& head = SPR_SET_TABLE[set];
    for (int p = 0; p < head.pattern_count; ++p) delete[] SPR_PATTERN_TABLE[set][p].parts;
    delete[] SPR_PATTERN_TABLE[set];
    SPR_PATTERN_TABLE[set] = nullptr;
    for (SPR_SEQ& seq : SPR_SEQ_TABLE[set]) {
        delete[] seq.steps;
        seq = SPR_SEQ{};
    }
    for (int i = 0; i < head.image_count; ++i)
        if (head.image_ids[i] != SPR_NO_IMAGE) IMG_Release(head.image_ids[i]);
    head = SPR_SET{};
}

const SPR_PATTERN* SPR_GetPattern(int set, int pattern) {
    if (set < 0 || set >= SPR_SETS || !SPR_PATTERN_TABLE[set]) return nullptr;
    if (pattern < 0 || pattern >= SPR_SET_TABLE[set].pattern_count) return nullptr;
    return &SPR_PATTERN_TABLE[set][pattern];
}
