// The hand-over between the thread that draws frames and the one that
// scales, writes and encodes them: a few frames go round between the two.
#pragma once

#include "backdrop/backdrop.h"

#include <SDL.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

struct SurfaceFree {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceFree>;

// Frames drawn ahead of the output thread.
constexpr int kQueuedFrames = 4;

// A drawn frame on its way to the outputs.
struct DrawnFrame {
    Surface surface;
    std::int64_t index = 0;
    GlowFilter glow;  // after drawing it
};

// Hands frames from the drawing thread to the output thread and back, at most
// kQueuedFrames at a time.
class FrameQueue {
public:
    // Gives every frame a surface from make; false when one cannot be had.
    bool make_frames(SDL_Surface* (*make)())
    {
        for (int k = 0; k < kQueuedFrames; ++k) {
            frames_[k].surface.reset(make());
            if (!frames_[k].surface) return false;
            free_.push_back(&frames_[k]);
        }
        return true;
    }
    // A frame to draw into; nullptr once the output has stopped.
    DrawnFrame* take_free()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !free_.empty() || stopped_; });
        if (stopped_) return nullptr;
        DrawnFrame* frame = free_.front();
        free_.pop_front();
        return frame;
    }
    void put_drawn(DrawnFrame* frame) { put(drawn_, frame); }
    // The next drawn frame; nullptr once drawing has ended and all are taken.
    DrawnFrame* take_drawn()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !drawn_.empty() || drawing_done_; });
        if (drawn_.empty()) return nullptr;
        DrawnFrame* frame = drawn_.front();
        drawn_.pop_front();
        return frame;
    }
    void put_free(DrawnFrame* frame) { put(free_, frame); }
    void end_drawing() { set(drawing_done_); }
    void stop_output() { set(stopped_); }

private:
    void put(std::deque<DrawnFrame*>& to, DrawnFrame* frame)
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            to.push_back(frame);
        }
        changed_.notify_all();
    }
    void set(bool& flag)
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            flag = true;
        }
        changed_.notify_all();
    }

    DrawnFrame frames_[kQueuedFrames];
    std::deque<DrawnFrame*> free_, drawn_;
    bool drawing_done_ = false, stopped_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
};

