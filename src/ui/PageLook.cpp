#include "ui/PageLook.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ornibe {

QFont pageFont() {
    const QString family = QStringLiteral("IPAPGothic");
    if (QFontDatabase::families().contains(family)) {
        QFont font(family);
        font.setPointSize(9);
        return font;
    }
    return QApplication::font();
}

namespace {

QPixmap drawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);

    QRadialGradient shine(QPointF(26, 24), 34);
    shine.setColorAt(0, QColor(0xf4, 0xf6, 0xfa));
    shine.setColorAt(0.6, QColor(0xb8, 0xc8, 0xe0));
    shine.setColorAt(1, QColor(0x8a, 0x9c, 0xc0));
    painter.setPen(QPen(QColor(0x44, 0x55, 0x77), 2));
    painter.setBrush(shine);
    painter.drawEllipse(QPointF(30, 30), 26, 26);
    painter.setBrush(QColor(0x44, 0x55, 0x77));
    painter.drawEllipse(QPointF(30, 30), 5, 5);

    // An arrow into the disc: drivers go into the setup CD.
    QPainterPath arrow;
    arrow.moveTo(44, 36);
    arrow.lineTo(62, 36);
    arrow.lineTo(62, 48);
    arrow.lineTo(53, 60);
    arrow.lineTo(44, 48);
    arrow.closeSubpath();
    painter.setPen(QPen(QColor(0x1d, 0x5e, 0x20), 2));
    painter.setBrush(QColor(0x3c, 0xb0, 0x44));
    painter.drawPath(arrow);
    return pixmap;
}

} // namespace

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) {
        icon.addPixmap(drawIcon(size));
    }
    return icon;
}

} // namespace ornibe
