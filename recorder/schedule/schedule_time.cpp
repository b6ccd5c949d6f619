#include "recorder/schedule/schedule_time.h"

#include <QStringList>

namespace recorder {

namespace {

// The locale's short date, as Qt and as Windows write it: Windows pads the
// year to four digits where Qt's short form has two, and the reverse.
QStringList dateForms(const QLocale& locale)
{
    const QString d = locale.dateFormat(QLocale::ShortFormat);
    QStringList forms{d};
    if (d.contains(QLatin1String("yyyy")))
        forms << QString(d).replace(QLatin1String("yyyy"), QLatin1String("yy"));
    else if (d.contains(QLatin1String("yy")))
        forms << QString(d).replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return forms;
}

// The short time with and without seconds, and the long time without its zone.
QStringList timeForms(const QLocale& locale)
{
    const QString t = locale.timeFormat(QLocale::ShortFormat);
    QStringList forms{t};
    if (!t.contains(QLatin1String("ss")) && t.contains(QLatin1String("mm")))
        forms << QString(t).replace(QLatin1String("mm"), QLatin1String("mm:ss"));
    QString longForm = locale.timeFormat(QLocale::LongFormat);
    longForm.remove(QLatin1Char('t'));
    longForm = longForm.trimmed();
    if (!forms.contains(longForm)) forms << longForm;
    return forms;
}

} // namespace

QDateTime wholeSecond(const QDateTime& time)
{
    QDateTime t = time;
    t.setTime(QTime(time.time().hour(), time.time().minute(), time.time().second()));
    return t;
}

std::string scheduleTimeText(const QDateTime& time)
{
    return time.toString(QLatin1String(kScheduleTimeFormat)).toStdString();
}

std::optional<QDateTime> readScheduleTime(std::string_view text, const QLocale& locale)
{
    const QString s = QString::fromUtf8(text.data(), qsizetype(text.size())).trimmed();
    if (s.isEmpty()) return std::nullopt;
    if (QDateTime t = QDateTime::fromString(s, QLatin1String(kScheduleTimeFormat)); t.isValid()) return t;

    for (const QString& date : dateForms(locale)) {
        for (const QString& time : timeForms(locale)) {
            QDateTime t = locale.toDateTime(s, date + QLatin1Char(' ') + time);
            if (!t.isValid()) continue;
            // Two-digit years read as 19xx; a plan is never that old.
            if (!date.contains(QLatin1String("yyyy")) && t.date().year() < 1970) t = t.addYears(100);
            return wholeSecond(t);
        }
    }
    return std::nullopt;
}

} // namespace recorder
