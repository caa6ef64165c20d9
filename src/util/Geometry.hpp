#pragma once

namespace drawlume {

// Points and rectangles in 64-bit floats. Screen frames have their origin at
// the bottom-left corner of the primary display with y upward; event
// positions have theirs at the top-left corner of the primary display with y
// downward. Each use says which.
struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    double width = 0;
    double height = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    Point origin;
    Size size;

    double minX() const { return origin.x; }
    double minY() const { return origin.y; }
    double maxX() const { return origin.x + size.width; }
    double maxY() const { return origin.y + size.height; }
    double width() const { return size.width; }
    double height() const { return size.height; }
    bool operator==(const Rect&) const = default;
};

}  // namespace drawlume
