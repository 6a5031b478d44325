#pragma once
// Voice clips, played one after another off the window's thread, so that the
// window goes on ticking and answering clicks while the clock speaks.

#include <functional>
#include <string>

class ClipPlayer {
  public:
    virtual ~ClipPlayer() = default;
    // Queues a clip after those already queued and returns at once. A file that
    // cannot be played plays a short chime instead; nothing is reported.
    virtual void play(const std::string& path) = 0;
    // Runs `done` on the window's thread once every clip queued before it has ended.
    virtual void whenPlayed(std::function<void()> done) = 0;
    // Silences the clip sounding now; the queue goes on with the next one.
    virtual void stop() = 0;
    // Drops every clip and completion still queued (at shut-down).
    virtual void clear() = 0;
};

// One clip at a time, played to its end on the caller's thread: what a
// platform provides and the clip queue drives.
class ClipSound {
  public:
    virtual ~ClipSound() = default;
    // Returns when the clip has been played out, or soon after interrupt().
    virtual void play(const std::string& path) = 0;
    // Cuts the clip that play() is playing now; callable from any thread.
    virtual void interrupt() = 0;
};

// Hands a function to the window's thread, to run there soon.
using PostToWindow = std::function<void(std::function<void()>)>;
