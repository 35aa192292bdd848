// State of a picture-box band: a strip with a background picture that holds other controls. The
// logic sets its size in twips; the view draws it there.
#pragma once
#include "ui/Control.h"

namespace report {

class PictureBox : public ui::Control {
public:
    PictureBox(ui::Window& owner, std::string name, int heightTwips)
        : ui::Control(owner, std::move(name)), height_(heightTwips) {}
    int Width() const { return width_; }
    void SetWidth(int twips) { width_ = twips; Notify(); }
    int Height() const { return height_; }
    void SetHeight(int twips) { height_ = twips; Notify(); }

private:
    int width_ = 0;
    int height_;
};

}  // namespace report
