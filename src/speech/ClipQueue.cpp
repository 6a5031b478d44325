#include "speech/ClipQueue.h"

ClipQueue::ClipQueue(std::unique_ptr<ClipSound> sound, PostToWindow post)
    : m_sound(std::move(sound)), m_post(std::move(post)), m_worker([this] { run(); }) {}

ClipQueue::~ClipQueue() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_items.clear();
        if (m_playing) m_sound->interrupt();
    }
    m_wake.notify_one();
    m_worker.join();
}

void ClipQueue::play(const std::string& path) {
    {
        std::lock_guard lock(m_mutex);
        m_items.emplace_back(path);
    }
    m_wake.notify_one();
}

void ClipQueue::whenPlayed(std::function<void()> done) {
    {
        std::lock_guard lock(m_mutex);
        m_items.emplace_back(std::move(done));
    }
    m_wake.notify_one();
}

void ClipQueue::stop() {
    std::lock_guard lock(m_mutex);
    if (m_playing) m_sound->interrupt();
}

void ClipQueue::clear() {
    std::lock_guard lock(m_mutex);
    m_items.clear();
    ++*m_generation;
}

void ClipQueue::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_quit || !m_items.empty(); });
        if (m_quit) return;
        Item item = std::move(m_items.front());
        m_items.pop_front();
        if (auto* path = std::get_if<std::string>(&item)) {
            m_playing = true;
            lock.unlock();
            m_sound->play(*path);
            lock.lock();
            m_playing = false;
        } else {
            auto done = std::get<std::function<void()>>(std::move(item));
            const int posted = *m_generation;
            std::weak_ptr<int> generation = m_generation;
            m_post([done = std::move(done), posted, generation] {
                const auto current = generation.lock();
                if (current && *current == posted && done) done();
            });
        }
    }
}
