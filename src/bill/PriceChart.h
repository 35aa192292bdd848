// State of a line chart of one price over time: the points in date order, a caption per axis. A
// view draws it; the logic only sets the points. The points make a step line: a price holds until
// the day it changes, where two points of that day go from the old price to the new one.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "db/DateTime.h"
#include "ui/Control.h"

namespace bill {

struct PricePoint {
    db::DateTime date;
    double price = 0;
    bool operator==(const PricePoint&) const = default;
};

// The price axis: from `min` to `max` in `ticks` - 1 steps of `step`, a round step of 1, 2, 2.5 or
// 5 times a power of ten, so that every tick is a round price; `labelDecimals` shows each tick
// exactly (at least the price decimals given).
struct PriceAxis {
    double min = 0, max = 1, step = 1;
    int ticks = 2;
    int labelDecimals = 0;
};
// An axis over prices from `low` to `high` with some room around them and at most `maxTicks`
// ticks; it starts at 0 or above when no price is negative.
PriceAxis RoundPriceAxis(double low, double high, int priceDecimals, int maxTicks = 6);

class PriceChart : public ui::Control {
public:
    PriceChart(ui::Window& owner, std::string name, std::string title)
        : ui::Control(owner, std::move(name)), title_(std::move(title)) {}

    const std::string& Title() const { return title_; }
    const std::vector<PricePoint>& Points() const { return points_; }
    void SetPoints(std::vector<PricePoint> points) {
        points_ = std::move(points);
        Notify();
    }
    // Decimals of the price axis' labels.
    int Decimals() const { return decimals_; }
    void SetDecimals(int d) {
        decimals_ = d;
        Notify();
    }

private:
    std::string title_;
    std::vector<PricePoint> points_;
    int decimals_ = 2;
};

}  // namespace bill
