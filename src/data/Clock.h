#pragma once

// The program's one notion of "today". Tests fix it.

#include <QDate>
#include <QDateTime>

namespace sorvane {

class Clock {
public:
    QDate today() const { return m_fixed.isValid() ? m_fixed : QDate::currentDate(); }
    void setToday(const QDate &date) { m_fixed = date; }
    // Now, on the day today() gives.
    QDateTime now() const
    {
        const QDateTime real = QDateTime::currentDateTime();
        return m_fixed.isValid() ? QDateTime(m_fixed, real.time()) : real;
    }

private:
    QDate m_fixed;
};

} // namespace sorvane
