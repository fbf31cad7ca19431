#pragma once

// One position on an audio CD in minutes, seconds and frames (75 frames to the second), counted
// from the very start of the disc, so the 2-second lead-in is included: a standard disc's first
// track starts at 0:02:00.
struct CTrackPosition {
    static constexpr int kFramesPerSecond = 75;

    int minute = 0;
    int second = 0;  // 0..59
    int frame = 0;   // 0..74

    // The position of an absolute frame number (a non-negative one).
    static CTrackPosition FromFrames(int frames) {
        return {frames / kFramesPerSecond / 60, frames / kFramesPerSecond % 60,
                frames % kFramesPerSecond};
    }
    // (minute * 60 + second) * 75 + frame.
    int Frames() const { return (minute * 60 + second) * kFramesPerSecond + frame; }

    friend bool operator==(const CTrackPosition&, const CTrackPosition&) = default;
};
