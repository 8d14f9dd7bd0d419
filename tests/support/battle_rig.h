// The battle rig: a seeded headless battle on fixture files. It feeds the button word each frame,
// walks scripted characters along their paths, runs the battle frame core and writes one trace
// line per frame; traces are compared with golden files under tests/ (ORV_UPDATE_GOLDEN=1
// rewrites them).
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/types.h"
#include "tests/support/map_writer.h"

namespace support {

struct RigChar {
    int slot = 0, team = 0, control = 0, mech = 0;
    int32_t x = 0, y = 0;
    int level = 0, level_override = -1;
    std::vector<POINT> path;  // map points walked in turn, then back to the first; empty: left to the game
    int32_t speed = 4;        // pixels a frame along the path
};

struct RigSetup {
    uint32_t seed = 1;
    int stage = 1, variant = 0;
    StageFiles files = MakeTestStage(100, 75, 1, 40);
    std::vector<RigChar> chars;
    int follow = 0, second = 1;                     // camera slots; -1 none
    std::function<uint16_t(int frame)> keys;        // held buttons by frame (from 1); none: nothing held
    std::function<void(int frame)> before_frame;    // anything a test does before each frame
    std::function<void()> more_files;               // writes or replaces fixture files before they load
};

class BattleRig {
public:
    explicit BattleRig(const RigSetup& setup);
    ~BattleRig();
    BattleRig(const BattleRig&) = delete;
    BattleRig& operator=(const BattleRig&) = delete;

    bool ok() const { return ok_; }
    int frame() const { return frame_; }
    // One frame: buttons, paths, the update tick, the draw tick and presentation.
    void Step();
    // The number the next Step counts from (the input and the per-frame hook go by it), as when a
    // loaded battle goes on from the frame it was saved at.
    void SetFrame(int frame) { frame_ = frame; }
    // The state after the last frame as one line; the header names the columns.
    std::string TraceLine() const;
    static std::string TraceHeader();
    // The header and a line for each of `frames` frames.
    std::vector<std::string> Run(int frames);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    RigSetup setup_;
    bool ok_ = false;
    int frame_ = 0;
    std::vector<size_t> next_point_;
    std::vector<std::string> calls_;  // calls recorded during the last frame
};

// Compares the lines with tests/<name>.trace: "" when equal, else the first difference. With
// ORV_UPDATE_GOLDEN=1 the file is rewritten instead.
std::string CheckTrace(const std::string& name, const std::vector<std::string>& lines);

// The button state of one poll with `held` down (edges against the previous poll, history ring).
void FeedKeys(uint16_t held);

// The stage loaded as the current map, in view with the whole of it to scroll over; what the load
// returned (1 when whole).
int LoadStage(const MapSpec& spec);

// The end of a test battle: every object, the map, the pool, the bullet table and the sprite layer
// released, and whatever techniques a test loaded by itself freed.
void EndBattle();

}  // namespace support
