#pragma once

// A chart of monthly figures beside their table: bars (stacked when there
// are several) and a line over the same months, in thousands of yen.

#include <QChartView>
#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

namespace sorvane::ui {

struct ChartSeries {
    QString name;
    QList<double> values; // one per month
    QColor color;
};

class FigureChart : public QChartView {
    Q_OBJECT
public:
    explicit FigureChart(QWidget *parent = nullptr);

    // Replaces what the chart shows. Bars of several series are stacked;
    // the line (when it has values) runs over the same months.
    void showFigures(const QString &title, const QStringList &months, const QList<ChartSeries> &bars,
                     const ChartSeries &line, const QString &unit);

    // What is shown, for checks: each bar series' values and the line's.
    QStringList barNames() const;
    QList<double> barValues(const QString &name) const;
    QList<double> lineValues() const;
    QStringList months() const { return m_months; }

private:
    QStringList m_months;
};

// Yen as the chart draws them: thousands.
double thousands(qint64 yen);

} // namespace sorvane::ui
