// State of a line chart of one price over time: the points in date order, a caption per axis. A
// view draws it; the logic only sets the points.
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
