#pragma once

// The window's stored design: for each control, the properties it loads
// itself from (through the property bag) and its outer size. It is kept as a
// JSON resource of the program:
//
//   { "Segmento": { "_extentx": 3281, "_extenty": 556,
//                   "backcolor": "0x555555", "railstyle": 99,
//                   "slidericon": { "picture": "SEGMENTOTHUMB" }, ... }, ... }
//
// Keys are the controls' property names (any case); "_extentx" and
// "_extenty" are the outer size in 0.01 mm. A value is a flag (true/false), a
// whole number, a number written in hex as a string ("0x555555"), or a
// picture of the design given by its resource name.

#include <QByteArray>
#include <QSize>
#include <QString>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>

#include "slider/property_bag.hpp"

namespace quorvane::ui {

class DesignError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct StoredControl {
    MemoryPropertyBag properties;  // everything but the extent
    QSize extent;                  // outer size in pixels
};

class StoredDesign {
public:
    // Turns a picture's resource name into a picture; an empty picture means
    // that there is no such resource.
    using PictureLoader = std::function<Picture(const QString& name)>;

    // Throws DesignError, naming the control and key, for anything it cannot use.
    static StoredDesign parse(const QByteArray& json, const PictureLoader& loadPicture);
    // Reads the design from a file or resource path.
    static StoredDesign load(const QString& path, const PictureLoader& loadPicture);

    // Throws DesignError when the design has no such control.
    const StoredControl& control(const std::string& name) const;

private:
    std::map<std::string, StoredControl> controls_;
};

// 0.01 mm units to pixels at 96 pixels per inch, to the nearest pixel.
int himetricToPixels(long long himetric);

}  // namespace quorvane::ui
