#include "ui/PageLook.h"

#include <QApplication>
#include <QDialog>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTranslator>
#include <QWindow>

#include <algorithm>

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

QSize openingSize(QSize wanted, int wholeHeight, QSize room, int scrollBarWidth) {
    QSize size = wanted.boundedTo(room);
    if (wholeHeight > room.height()) {
        size.setWidth(std::min(wanted.width() + scrollBarWidth, room.width()));
    }
    return size;
}

QSize roomOnScreen(const QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr) {
        return {QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
    }
    QMargins frame;
    if (const QWindow* handle = window.windowHandle()) {
        frame = handle->frameMargins();
    }
    if (frame.isNull()) {
        frame.setTop(window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window));
    }
    return screen->availableGeometry().size().shrunkBy(frame);
}

bool handlePageKey(QDialog& page, QKeyEvent& event) {
    if (event.key() == Qt::Key_Escape) {
        event.accept();
        return true;
    }
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) {
        // The pages' buttons do not take Enter themselves (they are not
        // auto-default, so that the default button's frame stays where the
        // page puts it); the focused one is pressed here instead.
        auto* button = qobject_cast<QPushButton*>(page.focusWidget());
        if (button != nullptr && button->isEnabled() && button->isVisible()) {
            event.accept();
            button->click();
            return true;
        }
    }
    return false;
}

bool loadPageTexts(UserLanguage language) {
    const bool english = language == UserLanguage::English;
    QLocale::setDefault(english ? QLocale(QLocale::English, QLocale::UnitedStates)
                                : QLocale(QLocale::Japanese, QLocale::Japan));
    auto* translator = new QTranslator(qApp);
    const bool loaded = english
                            ? translator->load(QStringLiteral(":/i18n/ornibe_en.qm"))
                            : translator->load(QStringLiteral("qtbase_ja"),
                                               QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (loaded) {
        QCoreApplication::installTranslator(translator);
    } else {
        delete translator;
    }
    return loaded || !english;
}

} // namespace ornibe
