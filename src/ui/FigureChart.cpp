#include "ui/FigureChart.h"

#include "ui/Widgets.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QLegend>
#include <QLineSeries>
#include <QStackedBarSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace sorvane::ui {

namespace {

struct Unit {
    double divisor;
    QString name;
};

// The unit that keeps the axis' labels to a few digits.
Unit unitFor(double largest)
{
    if (largest >= 1e9)
        return {1e6, QStringLiteral("百万円")};
    if (largest >= 1e6)
        return {1e3, QStringLiteral("千円")};
    return {1, QStringLiteral("円")};
}

} // namespace

FigureChart::FigureChart(QWidget *parent) : QChartView(parent)
{
    setRenderHint(QPainter::Antialiasing);
    setMinimumSize(420, 300);
    auto *chart = new QChart;
    chart->setFont(gothicFont(9));
    chart->legend()->setFont(gothicFont(9));
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setAnimationOptions(QChart::NoAnimation);
    // The view made a chart of its own, which it gives back on the swap.
    QChart *made = this->chart();
    setChart(chart);
    delete made;
}

void FigureChart::showFigures(const QString &title, const QStringList &months, const QList<ChartSeries> &bars,
                              const ChartSeries &line)
{
    m_months = months;
    double largest = 0;
    for (const ChartSeries &series : bars + QList<ChartSeries>{line})
        for (double v : series.values)
            largest = std::max(largest, std::abs(v));
    const Unit unit = unitFor(largest);
    m_unit = unit.name;
    m_divisor = unit.divisor;
    QChart *c = chart();
    c->removeAllSeries();
    // The chart gives a removed axis back to the caller, who must delete it.
    for (QAbstractAxis *axis : c->axes()) {
        c->removeAxis(axis);
        delete axis;
    }
    c->setTitle(title);
    QFont titleFont = gothicFont(10);
    titleFont.setBold(true);
    c->setTitleFont(titleFont);

    auto *x = new QBarCategoryAxis;
    x->append(months);
    x->setLabelsFont(gothicFont(8));
    // A year of months side by side would be cut to "2…": stand them up.
    if (months.size() > 6)
        x->setLabelsAngle(-90);
    auto *y = new QValueAxis;
    y->setLabelsFont(gothicFont(8));
    y->setTitleText(unit.name);
    y->setTitleFont(gothicFont(8));
    y->setLabelFormat(QStringLiteral("%.0f"));
    c->addAxis(x, Qt::AlignBottom);
    c->addAxis(y, Qt::AlignLeft);

    double low = 0;
    double high = 0;
    if (!bars.isEmpty()) {
        auto *series = new QStackedBarSeries;
        QList<double> up(months.size(), 0.0);
        QList<double> down(months.size(), 0.0);
        for (const ChartSeries &b : bars) {
            auto *set = new QBarSet(b.name);
            if (b.color.isValid())
                set->setColor(b.color);
            for (qsizetype i = 0; i < months.size(); ++i) {
                const double v = b.values.value(i) / unit.divisor;
                set->append(v);
                (v >= 0 ? up : down)[i] += v;
            }
            series->append(set);
        }
        for (qsizetype i = 0; i < months.size(); ++i) {
            high = std::max(high, up.at(i));
            low = std::min(low, down.at(i));
        }
        c->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
    }
    if (!line.values.isEmpty()) {
        auto *series = new QLineSeries;
        series->setName(line.name);
        if (line.color.isValid()) {
            QPen pen(line.color);
            pen.setWidth(2);
            series->setPen(pen);
        }
        series->setPointsVisible(true);
        for (qsizetype i = 0; i < line.values.size(); ++i) {
            const double v = line.values.at(i) / unit.divisor;
            series->append(double(i), v);
            high = std::max(high, v);
            low = std::min(low, v);
        }
        c->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
    }
    if (high == low)
        high = low + 1;
    y->setRange(low, high);
    y->applyNiceNumbers();
}

QStringList FigureChart::barNames() const
{
    QStringList names;
    for (QAbstractSeries *s : chart()->series())
        if (auto *bars = qobject_cast<QStackedBarSeries *>(s))
            for (QBarSet *set : bars->barSets())
                names << set->label();
    return names;
}

QList<double> FigureChart::barValues(const QString &name) const
{
    for (QAbstractSeries *s : chart()->series())
        if (auto *bars = qobject_cast<QStackedBarSeries *>(s))
            for (QBarSet *set : bars->barSets())
                if (set->label() == name) {
                    QList<double> v;
                    for (int i = 0; i < set->count(); ++i)
                        v << set->at(i) * m_divisor;
                    return v;
                }
    return {};
}

QList<double> FigureChart::lineValues() const
{
    for (QAbstractSeries *s : chart()->series())
        if (auto *line = qobject_cast<QLineSeries *>(s)) {
            QList<double> v;
            for (const QPointF &p : line->points())
                v << p.y() * m_divisor;
            return v;
        }
    return {};
}

} // namespace sorvane::ui
