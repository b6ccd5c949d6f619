#pragma once
// OwnerThread for a thread with a COM apartment and no Qt event loop (the
// window-less recorder, tests): tasks are queued to the apartment and run
// when its owner pumps it.

#include "platform/com/apartment.h"
#include "recorder/recording/owner_thread.h"

#include <memory>

namespace recorder {

class ApartmentOwnerThread final : public OwnerThread {
public:
    // The calling thread's apartment (it must have called CoInitialize).
    ApartmentOwnerThread() : apartment_(com::Apartment::current()) {}
    void post(std::function<void()> task) override
    {
        if (apartment_) apartment_->post(std::move(task));
    }
    const std::shared_ptr<com::Apartment>& apartment() const { return apartment_; }

private:
    std::shared_ptr<com::Apartment> apartment_;
};

} // namespace recorder
