// Writer of ".spr" animation-set fixtures.
#include "tests/support/spr_writer.h"

#include "display/lz_codec.h"
#include "platform/bytes.h"
#include "tests/support/fixture.h"

namespace support {
namespace {
void PutRect(std::vector<uint8_t>& out, const RECT& r) {
    for (int32_t v : {r.left, r.top, r.right, r.bottom}) plat::Put32(out, uint32_t(v));
}
}  // namespace

SprPattern OnePart(int32_t sx, int32_t sy, int32_t w, int32_t h, uint16_t image) {
    SprPattern p;
    p.parts.push_back(SprPart{image, RECT{0, 0, w, h}, RECT{sx, sy, sx + w, sy + h}, 0});
    return p;
}

std::vector<uint8_t> SprStream(const SprFile& f) {
    std::vector<uint8_t> s;
    plat::Put16(s, uint16_t(f.images.size()));
    for (const std::string& name : f.images) {
        s.insert(s.end(), name.begin(), name.end());
        s.push_back(0);
    }
    plat::Put16(s, uint16_t(f.patterns.size()));
    for (const SprPattern& p : f.patterns) {
        for (uint16_t v : {uint16_t(p.parts.size()), p.wait, uint16_t(0), uint16_t(0), p.flip}) plat::Put16(s, v);
        for (const SprPart& part : p.parts) {
            plat::Put16(s, part.image);
            plat::Put16(s, 0);
            PutRect(s, part.dest);
            PutRect(s, part.src);
            plat::Put16(s, part.flags);
            plat::Put16(s, 0);
        }
        for (const RECT& r : p.hit) PutRect(s, r);
    }
    for (const std::vector<SprStep>& seq : f.seqs) {
        plat::Put16(s, uint16_t(seq.size()));
        for (const SprStep& st : seq) {
            plat::Put16(s, st.pattern);
            plat::Put16(s, st.wait);
            plat::Put32(s, 0);
        }
    }
    return s;
}

std::vector<uint8_t> SprBytesOfStream(const std::vector<uint8_t>& stream) {
    std::vector<uint8_t> out{'S', 'P', 'R'};
    LZ_Encode(stream.data(), uint32_t(stream.size()), out);
    return out;
}

std::vector<uint8_t> SprBytes(const SprFile& f) { return SprBytesOfStream(SprStream(f)); }

bool WriteSpr(const std::string& path, const SprFile& f) { return WriteBytes(path, SprBytes(f)); }
}  // namespace support
