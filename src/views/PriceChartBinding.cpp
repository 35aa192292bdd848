#include "views/PriceChartBinding.h"

#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>

namespace views {
namespace {

qint64 Msecs(const db::DateTime& d) {
    return QDateTime(QDate(d.year, d.month, d.day), QTime(0, 0)).toMSecsSinceEpoch();
}

}  // namespace

PriceChartBinding::PriceChartBinding(bill::PriceChart& chart, QChartView* view)
    : ControlBinding(chart, view), chart_(chart), view_(view) {
    view->setRenderHint(QPainter::Antialiasing);
}

void PriceChartBinding::Apply() {
    ControlBinding::Apply();
    // A fresh chart each time: the view owns it and deletes the previous one.
    auto* chart = new QChart;
    chart->setTitle(QString::fromStdString(chart_.Title()));
    chart->legend()->hide();
    const auto& points = chart_.Points();
    if (!points.empty()) {
        auto* series = new QLineSeries(chart);
        series->setName(QString::fromStdString(chart_.Title()));
        // The points are the corners of the steps; the line alone reads better, but a price that
        // never changed is a single point.
        series->setPointsVisible(points.size() == 1);
        double low = points.front().price, high = low;
        for (const auto& p : points) {
            series->append(static_cast<qreal>(Msecs(p.date)), p.price);
            low = std::min(low, p.price);
            high = std::max(high, p.price);
        }
        chart->addSeries(series);

        auto* dates = new QDateTimeAxis(chart);
        dates->setFormat(QStringLiteral("yyyy-MM-dd"));
        dates->setTitleText(QStringLiteral("开单日期"));
        // A single date still gets a span, or the axis would have none.
        const qint64 first = Msecs(points.front().date), last = Msecs(points.back().date);
        constexpr qint64 kDay = 24LL * 3600 * 1000;
        dates->setRange(QDateTime::fromMSecsSinceEpoch(first == last ? first - kDay : first),
                        QDateTime::fromMSecsSinceEpoch(first == last ? last + kDay : last));
        // First, middle and last date: room for whole dates however narrow the chart.
        dates->setTickCount(3);
        chart->addAxis(dates, Qt::AlignBottom);
        series->attachAxis(dates);

        auto* prices = new QValueAxis(chart);
        prices->setTitleText(QStringLiteral("售价"));
        // Round ticks (1, 2, 2.5 or 5 times a power of ten), each shown exactly.
        const bill::PriceAxis axis = bill::RoundPriceAxis(low, high, chart_.Decimals());
        prices->setLabelFormat(QStringLiteral("%.") + QString::number(axis.labelDecimals) + QStringLiteral("f"));
        prices->setRange(axis.min, axis.max);
        prices->setTickCount(axis.ticks);
        prices->setMinorTickCount(0);
        chart->addAxis(prices, Qt::AlignLeft);
        series->attachAxis(prices);
    }
    QChart* old = view_->chart();
    view_->setChart(chart);
    if (old && old != chart) delete old;
}

}  // namespace views
