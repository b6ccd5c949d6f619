#pragma once
// One running recorder per user: the first process holds a lock that the
// system releases when it ends, however it ends.

#include <string>

namespace recorder {

class SingleInstance {
public:
    // Takes the lock at lockPath (default: per user, or under $VELMOR_HOME when
    // set). A holder that lets go within `graceMs` (a command-line client that
    // looked whether a recorder runs) does not count as another copy.
    explicit SingleInstance(std::string lockPath = defaultLockPath(), int graceMs = 250);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another process already holds the lock. A lock file that
    // cannot be made (an unwritable folder) is no other copy: the program runs.
    bool isFirst() const { return first_; }
    // Why the lock could not be made; empty when it is held or another copy holds it.
    const std::string& lockError() const { return lockError_; }
    static std::string defaultLockPath();

private:
    int fd_ = -1;
    bool first_ = false;
    std::string lockError_;
};

} // namespace recorder
