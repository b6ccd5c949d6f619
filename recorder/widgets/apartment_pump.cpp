#include "recorder/widgets/apartment_pump.h"

#include "platform/com/apartment.h"

#include <QSocketNotifier>

namespace recorder {

ApartmentPump::ApartmentPump(QObject* parent) : QObject(parent)
{
    CoInitialize(nullptr);
    apartment_ = com::Apartment::current();
    notifier_ = new QSocketNotifier(apartment_->wakeFd(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { apartment_->pump(); });
}

ApartmentPump::~ApartmentPump()
{
    delete notifier_;
    apartment_->pump();
    apartment_.reset();
    CoUninitialize();
}

} // namespace recorder
