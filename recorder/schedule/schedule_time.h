#pragma once
// The date-time texts of the schedule's start and stop columns.
//
// Written in one form that no regional setting changes, so a plan fires
// under whatever locale the program runs. Read in that form first, then in
// the locale's short date and time (files of older builds followed it).

#include <QDateTime>
#include <QLocale>

#include <optional>
#include <string>
#include <string_view>

namespace recorder {

inline constexpr const char* kScheduleTimeFormat = "yyyy-MM-dd HH:mm:ss";

// The time cut to its whole second, as the schedule compares.
QDateTime wholeSecond(const QDateTime& time);

std::string scheduleTimeText(const QDateTime& time);

// nullopt when the text is a date and time in neither form.
std::optional<QDateTime> readScheduleTime(std::string_view text, const QLocale& locale = QLocale());

} // namespace recorder
