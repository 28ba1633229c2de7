#pragma once

#include <span>
#include <string_view>

namespace ornibe {

// One row of Microsoft's "Time Zone Index Values" table, as the TimeZone
// key of an answer file takes it on Windows 2000, XP and Server 2003.
struct TimeZone {
    int index;
    // The name of the time zone ("Tokyo Standard Time").
    std::string_view name;
    // What the time zone list of Japanese Windows shows for it.
    std::string_view display;
};

// Tokyo, the zone of the systems served.
inline constexpr int kTokyoTimeZone = 235;

// The table in index order.
std::span<const TimeZone> timeZones();

// The row of the index; nothing when the table has no such index.
const TimeZone* findTimeZone(int index);

} // namespace ornibe
