#pragma once
// Work handed to the window's thread from any thread: kept here in order,
// while a message to the window only says that there is some.

#include <deque>
#include <functional>
#include <mutex>
#include <optional>

class PostedWork {
  public:
    void add(std::function<void()> work) {
        const std::lock_guard lock(m_mutex);
        m_work.push_back(std::move(work));
    }
    // The oldest work, taken out; none when there is none.
    std::optional<std::function<void()>> take() {
        const std::lock_guard lock(m_mutex);
        if (m_work.empty()) return std::nullopt;
        std::function<void()> work = std::move(m_work.front());
        m_work.pop_front();
        return work;
    }

  private:
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_work;
};
