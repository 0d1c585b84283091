#pragma once

// The program's one notion of "today". Tests fix it.

#include <QDate>

namespace sorvane {

class Clock {
public:
    QDate today() const { return m_fixed.isValid() ? m_fixed : QDate::currentDate(); }
    void setToday(const QDate &date) { m_fixed = date; }

private:
    QDate m_fixed;
};

} // namespace sorvane
