#pragma once
// OwnerThread for an object's Qt thread: tasks run as queued calls on it,
// and are dropped once the object is gone.

#include "recorder/recording/owner_thread.h"

#include <QMetaObject>
#include <QObject>

namespace recorder {

class QtOwnerThread final : public OwnerThread {
public:
    explicit QtOwnerThread(QObject* context) : context_(context) {}
    void post(std::function<void()> task) override
    {
        QMetaObject::invokeMethod(context_, std::move(task), Qt::QueuedConnection);
    }

private:
    QObject* context_;
};

} // namespace recorder
