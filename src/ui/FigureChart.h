#pragma once

// A chart of monthly figures beside their table: bars (stacked when there
// are several) and a line over the same months. Amounts are given in yen
// and drawn in yen, thousands or millions, whichever keeps the axis short.

#include <QChartView>
#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

namespace sorvane::ui {

struct ChartSeries {
    QString name;
    QList<double> values; // one per month, in yen
    QColor color;
};

class FigureChart : public QChartView {
    Q_OBJECT
public:
    explicit FigureChart(QWidget *parent = nullptr);

    // Replaces what the chart shows. Bars of several series are stacked;
    // the line (when it has values) runs over the same months.
    void showFigures(const QString &title, const QStringList &months, const QList<ChartSeries> &bars,
                     const ChartSeries &line);

    // What is drawn, for checks: each bar series' values and the line's,
    // back in yen, and the unit the axis is drawn in.
    QStringList barNames() const;
    QList<double> barValues(const QString &name) const;
    QList<double> lineValues() const;
    QStringList months() const { return m_months; }
    QString unit() const { return m_unit; }

private:
    QStringList m_months;
    QString m_unit;
    double m_divisor = 1;
};

} // namespace sorvane::ui
