// Window logic measures sizes and positions in twips (1/1440 inch), as its forms were laid out;
// the screen has 96 pixels to the inch, so 15 twips make a pixel.
#pragma once

namespace ui {

constexpr int kTwipsPerPixel = 15;

}  // namespace ui
