#pragma once
// Threads a server library ended but could not join where it ended them: a
// thread that ran its owner's destructor itself, or one whose call the owner
// is still serving. They may still be running the library's code, so they are
// joined before any server library is unloaded (freeUnusedServerLibraries)
// and at exit.

#include <atomic>
#include <memory>
#include <thread>

namespace com {

// `finished` turns true when the thread has nothing left to do but return;
// finished threads are joined at the next retire as well.
void retireThread(std::thread thread, std::shared_ptr<const std::atomic<bool>> finished);
// Joins every retired thread but the calling one. Returns how many it joined.
std::size_t joinRetiredThreads();
// Retired threads not yet joined.
std::size_t retiredThreadCount();

} // namespace com
