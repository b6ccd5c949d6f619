#pragma once
// Serves the GUI thread's COM apartment from the Qt event loop: calls that
// worker threads of the capture control make through their marshalled
// pointers run here, between other events, and processEvents() serves them too.

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace com {
class Apartment;
}

namespace recorder {

class ApartmentPump : public QObject {
    Q_OBJECT
public:
    // Initialises COM on the calling (GUI) thread.
    explicit ApartmentPump(QObject* parent = nullptr);
    ~ApartmentPump() override;

private:
    std::shared_ptr<com::Apartment> apartment_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace recorder
