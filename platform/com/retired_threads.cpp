#include "platform/com/retired_threads.h"

#include <mutex>
#include <vector>

namespace com {

namespace {

struct Retired {
    std::thread thread;
    std::shared_ptr<const std::atomic<bool>> finished;
};

struct RetiredList {
    std::mutex mutex;
    std::vector<Retired> threads;
    // Joinable std::threads must not be destroyed: whatever is left is joined at exit.
    ~RetiredList() { joinAllBut(std::thread::id()); }

    std::size_t joinAllBut(std::thread::id self)
    {
        std::vector<Retired> taken;
        {
            std::lock_guard lock(mutex);
            for (auto it = threads.begin(); it != threads.end();) {
                if (it->thread.get_id() == self) {
                    ++it;
                    continue;
                }
                taken.push_back(std::move(*it));
                it = threads.erase(it);
            }
        }
        for (auto& r : taken) r.thread.join(); // outside the lock: a retiring thread may be on its way here
        return taken.size();
    }
};

RetiredList& retired()
{
    static RetiredList list;
    return list;
}

} // namespace

void retireThread(std::thread thread, std::shared_ptr<const std::atomic<bool>> finished)
{
    if (!thread.joinable()) return;
    auto& list = retired();
    std::vector<Retired> done;
    {
        std::lock_guard lock(list.mutex);
        for (auto it = list.threads.begin(); it != list.threads.end();) {
            if (it->finished && it->finished->load() && it->thread.get_id() != std::this_thread::get_id()) {
                done.push_back(std::move(*it));
                it = list.threads.erase(it);
            } else {
                ++it;
            }
        }
        list.threads.push_back({std::move(thread), std::move(finished)});
    }
    for (auto& r : done) r.thread.join();
}

std::size_t joinRetiredThreads() { return retired().joinAllBut(std::this_thread::get_id()); }

std::size_t retiredThreadCount()
{
    auto& list = retired();
    std::lock_guard lock(list.mutex);
    return list.threads.size();
}

} // namespace com
