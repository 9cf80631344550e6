// quorvane-artwork: draws the main window's skin.
//
//   quorvane-artwork OUTDIR
//
// writes OUTDIR/bitmaps/*.png (the picture buttons and LEDs by their resource
// names), OUTDIR/design/*.png (the window background and the sliders' thumbs
// and rails) and OUTDIR/icons/*.png (the program icon). Run it on
// src/ui/resources to refresh the committed pictures.
//
// Everything is drawn from the window's own layout tables, so the artwork
// under each control sits exactly where the window puts the control. The
// bitmaps of a control are cut out of the same plain face the background is
// drawn on, so a button's or LED's corners blend into the background.

#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QRect>
#include <QString>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string_view>

#include "ui/layout.hpp"

namespace {

namespace layout = quorvane::ui::layout;
namespace stored_sliders = quorvane::stored_sliders;

// The palette: graphite metal with one cyan accent.
const QColor kFaceTop(0x2c, 0x30, 0x37);
const QColor kFaceBottom(0x1b, 0x1d, 0x22);
const QColor kWell(0x12, 0x14, 0x18);
const QColor kEdgeDark(0x08, 0x09, 0x0b);
const QColor kEdgeLight(0x45, 0x4b, 0x55);
const QColor kAccent(0x3e, 0xc7, 0xe0);
const QColor kAccentBright(0x9c, 0xf4, 0xff);
const QColor kAccentDeep(0x0f, 0x6f, 0x82);
const QColor kCaption(0x8d, 0x97, 0xa5);
const QColor kCaptionDim(0x5c, 0x65, 0x72);
const QColor kText(0xf2, 0xf4, 0xf7);

QString str(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QRect rectOf(const layout::Box& box) { return QRect(box.left, box.top, box.width, box.height); }

QColor fromBgr(unsigned bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

QFont uiFont(int pixelSize, bool bold, double spacing = 0) {
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    if (spacing != 0) font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    return font;
}

void text(QPainter& p, const QRectF& box, int flags, const QString& s, const QFont& font, const QColor& colour) {
    p.save();
    p.setFont(font);
    p.setPen(colour);
    p.drawText(box, flags, s);
    p.restore();
}

// A recessed well: dark inside, a shadowed top-left and a lit bottom-right edge.
void well(QPainter& p, const QRectF& r, double radius, const QColor& fill = kWell) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kEdgeLight);
    p.drawRoundedRect(r.adjusted(0, 0, 1, 1), radius, radius);
    p.setBrush(kEdgeDark);
    p.drawRoundedRect(r.adjusted(-1, -1, 0, 0), radius, radius);
    p.setBrush(fill);
    p.drawRoundedRect(r, radius, radius);
    // A soft shadow along the inner top edge.
    QLinearGradient shade(r.topLeft(), r.topLeft() + QPointF(0, 6));
    shade.setColorAt(0, QColor(0, 0, 0, 110));
    shade.setColorAt(1, QColor(0, 0, 0, 0));
    p.setBrush(shade);
    p.drawRoundedRect(r, radius, radius);
    p.restore();
}

// A raised plate, slightly lighter than the face.
void plate(QPainter& p, const QRectF& r, double radius) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawRoundedRect(r.translated(0, 1.5), radius, radius);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(0x33, 0x38, 0x40));
    g.setColorAt(1, QColor(0x24, 0x27, 0x2d));
    p.setBrush(g);
    p.setPen(QPen(QColor(0x0c, 0x0d, 0x10), 1));
    p.drawRoundedRect(r, radius, radius);
    p.setPen(QPen(QColor(255, 255, 255, 22), 1));
    p.drawLine(QPointF(r.left() + radius, r.top() + 1), QPointF(r.right() - radius, r.top() + 1));
    p.restore();
}

// --- Small glyphs used on the buttons and the face --------------------------------

void folderGlyph(QPainter& p, const QRectF& r, const QColor& colour, bool arrowIn) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath body;
    const double x = r.left(), y = r.top(), w = r.width(), h = r.height();
    body.moveTo(x, y + h * 0.18);
    body.lineTo(x + w * 0.38, y + h * 0.18);
    body.lineTo(x + w * 0.48, y + h * 0.32);
    body.lineTo(x + w, y + h * 0.32);
    body.lineTo(x + w, y + h);
    body.lineTo(x, y + h);
    body.closeSubpath();
    p.setPen(QPen(colour, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);
    if (arrowIn) {
        const QPointF c(x + w * 0.5, y + h * 0.66);
        p.drawLine(QPointF(c.x(), y - h * 0.1), c);
        p.drawLine(c, c + QPointF(-w * 0.17, -h * 0.17));
        p.drawLine(c, c + QPointF(w * 0.17, -h * 0.17));
    } else {
        p.drawLine(QPointF(x + w * 0.22, y + h * 0.62), QPointF(x + w * 0.78, y + h * 0.62));
    }
    p.restore();
}

void scissorsGlyph(QPainter& p, const QRectF& r, const QColor& colour) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const double ringR = r.width() * 0.17;
    const QPointF ringA(r.left() + ringR + 0.5, r.bottom() - ringR - 0.5);
    const QPointF ringB(r.right() - ringR - 0.5, r.bottom() - ringR - 0.5);
    p.drawEllipse(ringA, ringR, ringR);
    p.drawEllipse(ringB, ringR, ringR);
    const QPointF pivot(r.center().x(), r.top() + r.height() * 0.45);
    p.drawLine(ringA + QPointF(ringR * 0.6, -ringR * 0.8), QPointF(r.right() - 1, r.top()));
    p.drawLine(ringB + QPointF(-ringR * 0.6, -ringR * 0.8), QPointF(r.left() + 1, r.top()));
    p.setBrush(colour);
    p.drawEllipse(pivot, 0.9, 0.9);
    p.restore();
}

void doubleScissorsGlyph(QPainter& p, const QRectF& r, const QColor& colour) {
    // Three stacked cut marks: the whole list.
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour, 1.4, Qt::SolidLine, Qt::RoundCap));
    for (int row = 0; row < 3; ++row) {
        const double y = r.top() + 2 + row * (r.height() - 4) / 2.0;
        p.drawLine(QPointF(r.left(), y), QPointF(r.left() + r.width() * 0.55, y));
    }
    QPen cut(colour, 1.4, Qt::DashLine, Qt::RoundCap);
    cut.setDashPattern({1.5, 1.5});
    p.setPen(cut);
    p.drawLine(QPointF(r.right() - 2, r.top() - 1), QPointF(r.right() - 2, r.bottom() + 1));
    p.restore();
}

// --- Buttons --------------------------------------------------------------------------------

void mainButton(QPainter& p, const QRect& area, layout::Button which, bool pressed) {
    const layout::ButtonPlace& place = layout::kButtons[which];
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF face = QRectF(area).adjusted(2.5, 2.5, -2.5, -3.5);
    const double radius = 7;

    // Drop shadow (released) or a flat dark rim (pressed).
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, pressed ? 60 : 120));
    p.drawRoundedRect(face.translated(0, pressed ? 0.5 : 1.5), radius, radius);

    QLinearGradient g(face.topLeft(), face.bottomLeft());
    if (pressed) {
        g.setColorAt(0, QColor(0x17, 0x19, 0x1d));
        g.setColorAt(1, QColor(0x26, 0x2a, 0x30));
    } else {
        g.setColorAt(0, QColor(0x47, 0x4d, 0x57));
        g.setColorAt(0.5, QColor(0x34, 0x39, 0x41));
        g.setColorAt(1, QColor(0x27, 0x2b, 0x31));
    }
    p.setBrush(g);
    p.setPen(QPen(QColor(0x0a, 0x0b, 0x0e), 1));
    p.drawRoundedRect(face, radius, radius);

    if (pressed) {
        // Inner shadow at the top, and the accent line of an engaged key.
        QLinearGradient shade(face.topLeft(), face.topLeft() + QPointF(0, 9));
        shade.setColorAt(0, QColor(0, 0, 0, 150));
        shade.setColorAt(1, QColor(0, 0, 0, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(shade);
        p.drawRoundedRect(face, radius, radius);
        p.setPen(QPen(kAccent, 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(face.left() + 14, face.bottom() - 3), QPointF(face.right() - 14, face.bottom() - 3));
    } else {
        // A lit top edge.
        p.setPen(QPen(QColor(255, 255, 255, 55), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(face.adjusted(1, 1, -1, -1), radius - 1, radius - 1);
    }

    const QPointF shift = pressed ? QPointF(0.5, 1) : QPointF(0, 0);
    const QColor ink = pressed ? kAccentBright : kText;
    const QColor glyphInk = pressed ? kAccentBright : kAccent;
    const QRectF glyph = QRectF(face.left() + 11, face.center().y() - 7, 14, 13).translated(shift);
    switch (which) {
        case layout::Source: folderGlyph(p, glyph, glyphInk, false); break;
        case layout::Dest: folderGlyph(p, glyph, glyphInk, true); break;
        case layout::CutAll: doubleScissorsGlyph(p, glyph, glyphInk); break;
        case layout::CutOne: scissorsGlyph(p, glyph, glyphInk); break;
        default: break;
    }
    const QRectF captionBox = QRectF(face.left() + 26, face.top(), face.width() - 30, face.height()).translated(shift);
    // An engraved caption: a dark line under white text.
    text(p, captionBox.translated(0, 1), Qt::AlignCenter, str(place.caption), uiFont(12, true, 1.2),
         QColor(0, 0, 0, 160));
    text(p, captionBox, Qt::AlignCenter, str(place.caption), uiFont(12, true, 1.2), ink);
    p.restore();
}

void glyphButton(QPainter& p, const QRect& area, layout::Button which, bool pressed) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF face = QRectF(area).adjusted(0.5, 1.5, -0.5, -1.5);
    const QColor fill =
        pressed ? (which == layout::Exit ? QColor(0xc4, 0x3b, 0x3b) : kAccentDeep) : QColor(0x30, 0x34, 0x3b);
    p.setPen(QPen(pressed ? fill.lighter(140) : QColor(0x0b, 0x0c, 0x0f), 1));
    p.setBrush(fill);
    p.drawRoundedRect(face, 3, 3);
    if (!pressed) {
        p.setPen(QPen(QColor(255, 255, 255, 35), 1));
        p.drawLine(QPointF(face.left() + 2, face.top() + 1), QPointF(face.right() - 2, face.top() + 1));
    }
    const QColor ink = pressed ? QColor(Qt::white) : QColor(0xc9, 0xd0, 0xd9);
    p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap));
    const QPointF c = face.center() + (pressed ? QPointF(0, 0.5) : QPointF(0, 0));
    if (which == layout::Minimise) {
        p.drawLine(c + QPointF(-3.5, 3), c + QPointF(3.5, 3));
    } else if (which == layout::Play) {
        p.setPen(Qt::NoPen);
        p.setBrush(pressed ? QColor(Qt::white) : kAccent);
        p.drawPolygon(QPolygonF({c + QPointF(-3.5, -5), c + QPointF(5, 0), c + QPointF(-3.5, 5)}));
    } else {
        p.drawLine(c + QPointF(-3, -3), c + QPointF(3, 3));
        p.drawLine(c + QPointF(-3, 3), c + QPointF(3, -3));
    }
    p.restore();
}

void drawButton(QPainter& p, const QRect& area, layout::Button which, bool pressed) {
    if (which == layout::Minimise || which == layout::Exit || which == layout::Play) {
        glyphButton(p, area, which, pressed);
    } else {
        mainButton(p, area, which, pressed);
    }
}

// --- LEDs -----------------------------------------------------------------------------------

void drawLed(QPainter& p, const QRect& area, bool lit) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c = QRectF(area).center();
    const double bezel = 11.5;
    const double lens = 7.5;
    if (lit) {
        QRadialGradient halo(c, area.width() / 2.0);
        halo.setColorAt(0, QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 120));
        halo.setColorAt(0.55, QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 35));
        halo.setColorAt(1, QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 0));
        p.setPen(Qt::NoPen);
        p.setBrush(halo);
        p.drawEllipse(c, area.width() / 2.0, area.height() / 2.0);
    }
    // Metal bezel.
    QLinearGradient ring(c - QPointF(0, bezel), c + QPointF(0, bezel));
    ring.setColorAt(0, QColor(0x5a, 0x61, 0x6c));
    ring.setColorAt(1, QColor(0x16, 0x18, 0x1c));
    p.setPen(QPen(QColor(0x06, 0x07, 0x09), 1));
    p.setBrush(ring);
    p.drawEllipse(c, bezel, bezel);
    p.setBrush(QColor(0x0b, 0x0c, 0x0f));
    p.setPen(Qt::NoPen);
    p.drawEllipse(c, lens + 1.5, lens + 1.5);
    // The lens.
    QRadialGradient glass(c + QPointF(-1.5, -2), lens * 1.3);
    if (lit) {
        glass.setColorAt(0, QColor(0xf2, 0xff, 0xff));
        glass.setColorAt(0.35, kAccentBright);
        glass.setColorAt(0.8, kAccent);
        glass.setColorAt(1, kAccentDeep);
    } else {
        glass.setColorAt(0, QColor(0x2c, 0x4a, 0x51));
        glass.setColorAt(0.6, QColor(0x16, 0x2a, 0x30));
        glass.setColorAt(1, QColor(0x0c, 0x16, 0x1a));
    }
    p.setBrush(glass);
    p.drawEllipse(c, lens, lens);
    // Specular highlight.
    p.setBrush(QColor(255, 255, 255, lit ? 170 : 60));
    p.drawEllipse(c + QPointF(-2.5, -3), 2.2, 1.4);
    p.restore();
}

// --- The face -------------------------------------------------------------------------------

// The brand mark: a few piano-roll notes cut by a dashed line.
void pianoRollMark(QPainter& p, const QRectF& r, double scale) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    struct Note {
        double x, y, w;
    };
    const Note notes[] = {{0.00, 0.05, 0.55}, {0.22, 0.30, 0.62}, {0.08, 0.55, 0.80}, {0.40, 0.80, 0.52}};
    const double cutX = r.left() + r.width() * 0.66;
    const double h = r.height() * 0.16;
    for (const Note& n : notes) {
        const QRectF bar(r.left() + n.x * r.width(), r.top() + n.y * r.height(), n.w * r.width(), h);
        const QRectF kept(bar.left(), bar.top(), std::max(0.0, std::min(bar.right(), cutX) - bar.left()), h);
        const QRectF gone(std::max(bar.left(), cutX), bar.top(),
                          std::max(0.0, bar.right() - std::max(bar.left(), cutX)), h);
        p.setPen(Qt::NoPen);
        p.setBrush(kText);
        if (kept.width() > 0) p.drawRoundedRect(kept, h / 3, h / 3);
        p.setBrush(QColor(kText.red(), kText.green(), kText.blue(), 55));
        if (gone.width() > 0) p.drawRoundedRect(gone, h / 3, h / 3);
    }
    QPen cut(kAccent, 1.6 * scale, Qt::DashLine, Qt::FlatCap);
    cut.setDashPattern({2.0, 1.5});
    p.setPen(cut);
    p.drawLine(QPointF(cutX + 0.5 * scale, r.top() - 2 * scale), QPointF(cutX + 0.5 * scale, r.bottom() + 2 * scale));
    p.restore();
}

// Tick marks beside the clip-length slider: where the thumb's centre stands
// for 0, 10, ... 50 and 59 seconds.
void clipScale(QPainter& p) {
    const layout::Box& box = layout::kClipLength;
    const double track = box.height - stored_sliders::kClipLength.thumb.height;
    const double top = box.top + stored_sliders::kClipLength.thumb.height / 2.0;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int value = 0; value <= 59; value += 5) {
        const double y = std::round(top + track - track * value / 59.0);
        const bool major = value % 10 == 0;
        p.setPen(major ? kCaption : kCaptionDim);
        p.drawLine(QPointF(box.right() + 5, y), QPointF(box.right() + (major ? 11 : 8), y));
    }
    p.restore();
}

// A caption that ends where a value label begins.
void captionBefore(QPainter& p, const layout::Box& value, int left, const QString& s) {
    const QRectF box(left, value.top, value.left - 5 - left, 13);
    text(p, box, Qt::AlignRight | Qt::AlignVCenter, s, uiFont(9, true, 0.8), kCaption);
}

// A slider's well: a dark frame around the slider's own grey surface.
void sliderWell(QPainter& p, const layout::Box& box, unsigned backColor) {
    well(p, QRectF(rectOf(box)).adjusted(-3, -3, 3, 3), 3);
    p.fillRect(rectOf(box), fromBgr(backColor));
}

// The window's face without the buttons and LEDs.
QImage drawPlainFace() {
    QImage image(layout::kWindowWidth, layout::kWindowHeight, QImage::Format_RGB32);
    QPainter p(&image);
    const QRectF all(0, 0, layout::kWindowWidth, layout::kWindowHeight);

    QLinearGradient face(all.topLeft(), all.bottomLeft());
    face.setColorAt(0, kFaceTop);
    face.setColorAt(1, kFaceBottom);
    p.fillRect(all, face);
    // A faint brushed texture: alternate rows a shade apart.
    for (int y = 0; y < layout::kWindowHeight; y += 2)
        p.fillRect(0, y, layout::kWindowWidth, 1, QColor(255, 255, 255, 5));

    // Outer frame: light outer line, dark inner line.
    p.setPen(QColor(0x4f, 0x56, 0x61));
    p.drawRect(0, 0, layout::kWindowWidth - 1, layout::kWindowHeight - 1);
    p.setPen(QColor(0x0a, 0x0b, 0x0d));
    p.drawRect(1, 1, layout::kWindowWidth - 3, layout::kWindowHeight - 3);

    // Command column: LEDs and the three main buttons on a plate.
    plate(p, QRectF(4.5, 14.5, 171, 149), 8);
    // Clip length: the vertical slider, its scale and its readout.
    plate(p, QRectF(4.5, 167.5, 171, 99), 8);
    text(p, QRectF(82, 176, 90, 13), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("CLIP LENGTH"),
         uiFont(9, true, 1.0), kCaption);
    text(p, QRectF(82, 191, 90, 12), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("for CUT ALL,"), uiFont(9, false),
         kCaptionDim);
    text(p, QRectF(82, 203, 90, 12), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("in seconds"), uiFont(9, false),
         kCaptionDim);
    sliderWell(p, layout::kClipLength, stored_sliders::kClipLength.backColor);
    clipScale(p);
    well(p,
         QRectF(layout::kClipLengthCaption.left - 4, layout::kClipLengthCaption.top - 3,
                layout::kClipLengthCaption.width + 8, layout::kClipLengthCaption.height + 3),
         3);
    text(p, QRectF(layout::kClipLengthCaption.right() + 7, layout::kClipLengthCaption.top, 30, 14),
         Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("sec"), uiFont(9, false), kCaptionDim);

    // Counters and times.
    plate(p, QRectF(4.5, 271.5, 146, 85), 8);
    text(p, QRectF(14, 278, 120, 13), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("STATUS"), uiFont(9, true, 1.0),
         kCaption);
    captionBefore(p, layout::kListedCountCaption, 10, QStringLiteral("FOUND"));
    captionBefore(p, layout::kCutPointTimeCaption, 10, QStringLiteral("TIME"));
    captionBefore(p, layout::kCutCountCaption, 10, QStringLiteral("CUTTING"));

    // The brand.
    const QRectF brand(196, 18, 320, 62);
    pianoRollMark(p, QRectF(brand.left() + 2, brand.top() + 12, 40, 36), 1.0);
    text(p, QRectF(brand.left() + 56, brand.top() + 6, 270, 34), Qt::AlignLeft | Qt::AlignVCenter,
         QStringLiteral("QUORVANE"), uiFont(28, true, 5), kText);
    text(p, QRectF(brand.left() + 58, brand.top() + 40, 270, 14), Qt::AlignLeft | Qt::AlignVCenter,
         QStringLiteral("STANDARD MIDI FILE CUTTER"), uiFont(9, true, 2.2), kAccent);

    // The file list.
    well(p, QRectF(rectOf(layout::kSongList)).adjusted(-4, -4, 4, 4), 5);
    text(p, QRectF(layout::kSongList.left, layout::kSongList.top - 17, 200, 12), Qt::AlignLeft | Qt::AlignVCenter,
         QStringLiteral("MIDI FILES"), uiFont(9, true, 1.0), kCaption);

    // Cut position: the horizontal slider beside CUT ONE.
    plate(p, QRectF(154.5, 275.5, 406, 56), 8);
    text(p, QRectF(166, layout::kCutPoint.top - 1, layout::kCutPoint.left - 176, 12), Qt::AlignLeft | Qt::AlignVCenter,
         QStringLiteral("CUT POINT"), uiFont(9, true, 1.0), kCaption);
    text(p, QRectF(166, layout::kCutPoint.top + 11, layout::kCutPoint.left - 176, 12), Qt::AlignLeft | Qt::AlignVCenter,
         QStringLiteral("for CUT ONE"), uiFont(9, false), kCaptionDim);
    sliderWell(p, layout::kCutPoint, stored_sliders::kCutPoint.backColor);
    text(p, QRectF(layout::kCutPoint.left - 2, layout::kCutPoint.bottom() + 5, 40, 11),
         Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("start"), uiFont(8, false), kCaptionDim);
    text(p, QRectF(layout::kCutPoint.right() - 38, layout::kCutPoint.bottom() + 5, 40, 11),
         Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("end"), uiFont(8, false), kCaptionDim);

    // The current file, then the two folders, in display strips with a tag at
    // their right end (the window keeps long paths clear of the tags).
    const QRectF fileStrip(layout::kSongPathCaption.left - 4, layout::kSongPathCaption.top - 3,
                           layout::kWindowWidth - 7 - (layout::kSongPathCaption.left - 4), 18);
    well(p, fileStrip, 3);
    text(p, fileStrip.adjusted(0, 0, -6, 0), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("FILE"),
         uiFont(8, true, 1.0), kCaptionDim);
    const QRectF folders(4, layout::kSourceFolderCaption.top - 2, layout::kWindowWidth - 11,
                         layout::kWindowHeight - 6 - (layout::kSourceFolderCaption.top - 2));
    well(p, folders, 4);
    text(p, QRectF(folders.left(), layout::kSourceFolderCaption.top, folders.width() - 6, 14),
         Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("SOURCE"), uiFont(8, true, 1.0), kCaptionDim);
    text(p,
         QRectF(layout::kDestFolderCaption.left, layout::kDestFolderCaption.top, layout::kDestFolderCaption.width, 14),
         Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("DESTINATION"), uiFont(8, true, 1.0), kCaptionDim);
    // Right of the destination the window shows its status line.
    p.end();
    return image;
}

// --- Slider pictures ------------------------------------------------------------------------

QImage segmentoRail() {
    const stored_sliders::StoredPicture& rail = stored_sliders::kCutPoint.rail;
    QImage image(rail.width, rail.height, QImage::Format_RGB32);
    image.fill(fromBgr(stored_sliders::kCutPoint.backColor));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // The groove runs between the thumb's centre at either end.
    const double half = stored_sliders::kCutPoint.thumb.width / 2.0;
    const QRectF groove(half - 2, rail.height / 2.0 - 2.5, rail.width - 2 * half + 4, 5);
    p.setPen(QPen(QColor(0x2a, 0x2a, 0x2a), 1));
    p.setBrush(QColor(0x15, 0x17, 0x1a));
    p.drawRoundedRect(groove, 2.5, 2.5);
    p.setPen(QPen(QColor(0x77, 0x77, 0x77), 1));
    p.drawLine(QPointF(groove.left() + 2, groove.bottom() + 1), QPointF(groove.right() - 2, groove.bottom() + 1));
    // Ticks at every tenth of the track.
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i <= 10; ++i) {
        const int x = static_cast<int>(std::lround(half + (rail.width - 2 * half) * i / 10.0)) - (i == 10 ? 1 : 0);
        p.setPen(i % 5 == 0 ? QColor(0x9a, 0x9a, 0x9a) : QColor(0x74, 0x74, 0x74));
        p.drawLine(x, 0, x, i % 5 == 0 ? 2 : 1);
        p.drawLine(x, rail.height - (i % 5 == 0 ? 3 : 2), x, rail.height - 1);
    }
    return image;
}

QImage segmentoThumb() {
    const stored_sliders::StoredPicture& thumb = stored_sliders::kCutPoint.thumb;
    QImage image(thumb.width, thumb.height, QImage::Format_RGB32);
    image.fill(fromBgr(stored_sliders::kCutPoint.backColor));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body(0.5, 0.5, thumb.width - 1, thumb.height - 1);
    QLinearGradient g(body.topLeft(), body.topRight());
    g.setColorAt(0, QColor(0xe9, 0xec, 0xf0));
    g.setColorAt(0.45, QColor(0xc3, 0xc8, 0xcf));
    g.setColorAt(1, QColor(0x7d, 0x83, 0x8c));
    p.setPen(QPen(QColor(0x1c, 0x1e, 0x22), 1));
    p.setBrush(g);
    p.drawRoundedRect(body, 2.5, 2.5);
    // The accent index line and a grip.
    p.setPen(QPen(kAccentDeep, 2));
    p.drawLine(QPointF(thumb.width / 2.0, 3), QPointF(thumb.width / 2.0, thumb.height - 3));
    return image;
}

QImage chooseRail() {
    const stored_sliders::StoredPicture& rail = stored_sliders::kClipLength.rail;
    QImage image(rail.width, rail.height, QImage::Format_RGB32);
    image.fill(fromBgr(stored_sliders::kClipLength.backColor));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double half = stored_sliders::kClipLength.thumb.height / 2.0;
    const QRectF groove(rail.width / 2.0 - 2.5, half - 2, 5, rail.height - 2 * half + 4);
    p.setPen(QPen(QColor(0x33, 0x33, 0x33), 1));
    p.setBrush(QColor(0x15, 0x17, 0x1a));
    p.drawRoundedRect(groove, 2.5, 2.5);
    p.setPen(QPen(QColor(0x8a, 0x8a, 0x8a), 1));
    p.drawLine(QPointF(groove.right() + 1, groove.top() + 2), QPointF(groove.right() + 1, groove.bottom() - 2));
    return image;
}

QImage chooseThumb() {
    const stored_sliders::StoredPicture& thumb = stored_sliders::kClipLength.thumb;
    QImage image(thumb.width, thumb.height, QImage::Format_RGB32);
    image.fill(fromBgr(stored_sliders::kClipLength.backColor));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body(0.5, 0.5, thumb.width - 1, thumb.height - 1);
    QLinearGradient g(body.topLeft(), body.bottomLeft());
    g.setColorAt(0, QColor(0xee, 0xf1, 0xf4));
    g.setColorAt(0.5, QColor(0xc3, 0xc8, 0xcf));
    g.setColorAt(1, QColor(0x80, 0x86, 0x8f));
    p.setPen(QPen(QColor(0x1c, 0x1e, 0x22), 1));
    p.setBrush(g);
    p.drawRoundedRect(body, 2.5, 2.5);
    p.setPen(QPen(kAccentDeep, 2));
    p.drawLine(QPointF(3, thumb.height / 2.0), QPointF(thumb.width - 3, thumb.height / 2.0));
    return image;
}

// --- The program icon -----------------------------------------------------------------------

QImage icon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size / 32.0;
    const QRectF tile(1 * s, 1 * s, 30 * s, 30 * s);
    QLinearGradient g(tile.topLeft(), tile.bottomLeft());
    g.setColorAt(0, QColor(0x3a, 0x40, 0x49));
    g.setColorAt(1, QColor(0x17, 0x19, 0x1d));
    p.setPen(QPen(QColor(0x08, 0x09, 0x0b), 1 * s));
    p.setBrush(g);
    p.drawRoundedRect(tile, 6 * s, 6 * s);
    p.setPen(QPen(QColor(255, 255, 255, 40), 1 * s));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(tile.adjusted(1 * s, 1 * s, -1 * s, -1 * s), 5 * s, 5 * s);
    pianoRollMark(p, QRectF(6 * s, 7.5 * s, 20 * s, 18 * s), s);
    p.end();
    return image;
}

// --- Output ---------------------------------------------------------------------------------

bool save(const QImage& image, const QString& path, int width, int height) {
    if (image.width() != width || image.height() != height) {
        std::fprintf(stderr, "quorvane-artwork: %s is %dx%d, not %dx%d\n", qPrintable(path), image.width(),
                     image.height(), width, height);
        return false;
    }
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "quorvane-artwork: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

QImage cutOut(const QImage& face, const QRect& area, const std::function<void(QPainter&, const QRect&)>& draw) {
    QImage part = face.copy(area);
    QPainter p(&part);
    draw(p, QRect(0, 0, area.width(), area.height()));
    return part;
}

}  // namespace

int main(int argc, char** argv) {
    // Text needs a platform plugin; no display is needed to draw pictures.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: quorvane-artwork OUTDIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (const char* sub : {"bitmaps", "design", "icons"}) {
        if (!out.mkpath(QString::fromLatin1(sub))) {
            std::fprintf(stderr, "quorvane-artwork: cannot create %s/%s\n", argv[1], sub);
            return 1;
        }
    }
    bool ok = true;
    const QImage plain = drawPlainFace();

    // The background: the face with every button released and every LED dark.
    QImage background = plain;
    {
        QPainter p(&background);
        for (int b = 0; b < layout::ButtonCount; ++b) {
            const QRect area = rectOf(layout::kButtons[b].box);
            p.save();
            p.translate(area.topLeft());
            drawButton(p, QRect(0, 0, area.width(), area.height()), static_cast<layout::Button>(b), false);
            p.restore();
        }
        for (const layout::LedPlace& led : layout::kLeds) {
            const QRect area = rectOf(led.box);
            p.save();
            p.translate(area.topLeft());
            drawLed(p, QRect(0, 0, area.width(), area.height()), false);
            p.restore();
        }
    }
    ok &= save(background, out.filePath(QStringLiteral("design/BACKGROUND.png")), layout::kWindowWidth,
               layout::kWindowHeight);

    for (int b = 0; b < layout::ButtonCount; ++b) {
        const layout::ButtonPlace& place = layout::kButtons[b];
        const QRect area = rectOf(place.box);
        for (const bool pressed : {false, true}) {
            const QImage picture = cutOut(plain, area, [&](QPainter& p, const QRect& r) {
                drawButton(p, r, static_cast<layout::Button>(b), pressed);
            });
            const QString name = str(pressed ? place.pressed : place.released);
            ok &= save(picture, out.filePath(QStringLiteral("bitmaps/%1.png").arg(name)), area.width(), area.height());
        }
    }
    for (const layout::LedPlace& led : layout::kLeds) {
        const QRect area = rectOf(led.box);
        for (const bool lit : {false, true}) {
            const QImage picture = cutOut(plain, area, [&](QPainter& p, const QRect& r) { drawLed(p, r, lit); });
            const QString name = str(lit ? led.lit : led.dark);
            ok &= save(picture, out.filePath(QStringLiteral("bitmaps/%1.png").arg(name)), area.width(), area.height());
        }
    }

    const auto designPicture = [&](const stored_sliders::StoredPicture& place, const QImage& image) {
        ok &=
            save(image, out.filePath(QStringLiteral("design/%1.png").arg(str(place.name))), place.width, place.height);
    };
    designPicture(stored_sliders::kCutPoint.thumb, segmentoThumb());
    designPicture(stored_sliders::kCutPoint.rail, segmentoRail());
    designPicture(stored_sliders::kClipLength.thumb, chooseThumb());
    designPicture(stored_sliders::kClipLength.rail, chooseRail());

    ok &= save(icon(32), out.filePath(QStringLiteral("icons/QUORVANE.png")), 32, 32);
    ok &= save(icon(128), out.filePath(QStringLiteral("icons/QUORVANE-128.png")), 128, 128);
    return ok ? 0 : 1;
}
