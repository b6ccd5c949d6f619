#pragma once
// One running recorder per user: the first process holds a lock that the
// system releases when it ends, however it ends.

#include <string>

namespace recorder {

class SingleInstance {
public:
    // Takes the lock at lockPath (default: per user, or under $VELMOR_HOME when set).
    explicit SingleInstance(std::string lockPath = defaultLockPath());
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another process already holds the lock.
    bool isFirst() const { return fd_ >= 0; }
    static std::string defaultLockPath();

private:
    int fd_ = -1;
};

} // namespace recorder
