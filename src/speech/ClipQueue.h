#pragma once
// The clip player over a platform's blocking ClipSound: a worker thread plays
// the queued clips in order and posts each completion to the window's thread.

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <variant>

#include "speech/ClipPlayer.h"

class ClipQueue : public ClipPlayer {
  public:
    ClipQueue(std::unique_ptr<ClipSound> sound, PostToWindow post);
    // Drops what is still queued and waits for the clip sounding now to be cut.
    ~ClipQueue() override;
    ClipQueue(const ClipQueue&) = delete;
    ClipQueue& operator=(const ClipQueue&) = delete;

    void play(const std::string& path) override;
    void whenPlayed(std::function<void()> done) override;
    void stop() override;
    void clear() override;

  private:
    using Item = std::variant<std::string, std::function<void()>>;
    void run();

    std::unique_ptr<ClipSound> m_sound;
    PostToWindow m_post;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Item> m_items;
    bool m_playing = false;
    bool m_quit = false;
    // Completions already posted run only while this is the generation they
    // were posted in: clear() moves it on.
    std::shared_ptr<int> m_generation = std::make_shared<int>(0);
    std::thread m_worker;
};
