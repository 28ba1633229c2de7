#pragma once

#include <QFont>
#include <QIcon>

namespace ornibe {

// IPA P Gothic at 9 points when it is installed (it has the metrics of
// the font the pages were laid out for), otherwise the platform's font.
QFont pageFont();

// The program icon: a disc with an arrow, drawn at the usual sizes.
QIcon programIcon();

} // namespace ornibe
