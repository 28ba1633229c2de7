#include "answer/TimeZones.h"

#include <algorithm>

namespace ornibe {
namespace {

// Microsoft's "Time Zone Index Values" for the answer file's TimeZone key.
// The zones that later updates added with indexes from 0x80000040 on are
// left out: these systems' setup does not know them.
constexpr TimeZone kZones[] = {
    {0, "Dateline Standard Time", "(GMT-12:00) International Date Line West"},
    {1, "Samoa Standard Time", "(GMT-11:00) Midway Island, Samoa"},
    {2, "Hawaiian Standard Time", "(GMT-10:00) Hawaii"},
    {3, "Alaskan Standard Time", "(GMT-09:00) Alaska"},
    {4, "Pacific Standard Time", "(GMT-08:00) Pacific Time (US and Canada); Tijuana"},
    {10, "Mountain Standard Time", "(GMT-07:00) Mountain Time (US and Canada)"},
    {13, "Mexico Standard Time 2", "(GMT-07:00) Chihuahua, La Paz, Mazatlan"},
    {15, "U.S. Mountain Standard Time", "(GMT-07:00) Arizona"},
    {20, "Central Standard Time", "(GMT-06:00) Central Time (US and Canada)"},
    {25, "Canada Central Standard Time", "(GMT-06:00) Saskatchewan"},
    {30, "Mexico Standard Time", "(GMT-06:00) Guadalajara, Mexico City, Monterrey"},
    {33, "Central America Standard Time", "(GMT-06:00) Central America"},
    {35, "Eastern Standard Time", "(GMT-05:00) Eastern Time (US and Canada)"},
    {40, "U.S. Eastern Standard Time", "(GMT-05:00) Indiana (East)"},
    {45, "S.A. Pacific Standard Time", "(GMT-05:00) Bogota, Lima, Quito"},
    {50, "Atlantic Standard Time", "(GMT-04:00) Atlantic Time (Canada)"},
    {55, "S.A. Western Standard Time", "(GMT-04:00) Caracas, La Paz"},
    {56, "Pacific S.A. Standard Time", "(GMT-04:00) Santiago"},
    {60, "Newfoundland and Labrador Standard Time", "(GMT-03:30) Newfoundland"},
    {65, "E. South America Standard Time", "(GMT-03:00) Brasilia"},
    {70, "S.A. Eastern Standard Time", "(GMT-03:00) Georgetown"},
    {73, "Greenland Standard Time", "(GMT-03:00) Greenland"},
    {75, "Mid-Atlantic Standard Time", "(GMT-02:00) Mid-Atlantic"},
    {80, "Azores Standard Time", "(GMT-01:00) Azores"},
    {83, "Cape Verde Standard Time", "(GMT-01:00) Cape Verde Islands"},
    {85, "GMT Standard Time", "(GMT) Greenwich Mean Time: Dublin, Edinburgh, Lisbon, London"},
    {90, "Greenwich Standard Time", "(GMT) Monrovia, Reykjavik"},
    {95, "Central Europe Standard Time",
     "(GMT+01:00) Belgrade, Bratislava, Budapest, Ljubljana, Prague"},
    {100, "Central European Standard Time", "(GMT+01:00) Sarajevo, Skopje, Warsaw, Zagreb"},
    {105, "Romance Standard Time", "(GMT+01:00) Brussels, Copenhagen, Madrid, Paris"},
    {110, "W. Europe Standard Time",
     "(GMT+01:00) Amsterdam, Berlin, Bern, Rome, Stockholm, Vienna"},
    {113, "W. Central Africa Standard Time", "(GMT+01:00) West Central Africa"},
    {115, "E. Europe Standard Time", "(GMT+02:00) Minsk"},
    {120, "Egypt Standard Time", "(GMT+02:00) Cairo"},
    {125, "FLE Standard Time", "(GMT+02:00) Helsinki, Kiev, Riga, Sofia, Tallinn, Vilnius"},
    {130, "GTB Standard Time", "(GMT+02:00) Athens, Bucharest, Istanbul"},
    {135, "Israel Standard Time", "(GMT+02:00) Jerusalem"},
    {140, "South Africa Standard Time", "(GMT+02:00) Harare, Pretoria"},
    {145, "Russian Standard Time", "(GMT+03:00) Moscow, St. Petersburg, Volgograd"},
    {150, "Arab Standard Time", "(GMT+03:00) Kuwait, Riyadh"},
    {155, "E. Africa Standard Time", "(GMT+03:00) Nairobi"},
    {158, "Arabic Standard Time", "(GMT+03:00) Baghdad"},
    {160, "Iran Standard Time", "(GMT+03:30) Tehran"},
    {165, "Arabian Standard Time", "(GMT+04:00) Abu Dhabi, Muscat"},
    {170, "Caucasus Standard Time", "(GMT+04:00) Baku, Tbilisi, Yerevan"},
    {175, "Transitional Islamic State of Afghanistan Standard Time", "(GMT+04:30) Kabul"},
    {180, "Ekaterinburg Standard Time", "(GMT+05:00) Ekaterinburg"},
    {185, "West Asia Standard Time", "(GMT+05:00) Tashkent"},
    {190, "India Standard Time", "(GMT+05:30) Chennai, Kolkata, Mumbai, New Delhi"},
    {193, "Nepal Standard Time", "(GMT+05:45) Kathmandu"},
    {195, "Central Asia Standard Time", "(GMT+06:00) Astana, Dhaka"},
    {200, "Sri Lanka Standard Time", "(GMT+06:00) Sri Jayawardenepura"},
    {201, "N. Central Asia Standard Time", "(GMT+06:00) Almaty, Novosibirsk"},
    {203, "Myanmar Standard Time", "(GMT+06:30) Yangon (Rangoon)"},
    {205, "S.E. Asia Standard Time", "(GMT+07:00) Bangkok, Hanoi, Jakarta"},
    {207, "North Asia Standard Time", "(GMT+07:00) Krasnoyarsk"},
    {210, "China Standard Time", "(GMT+08:00) Beijing, Chongqing, Hong Kong, Urumqi"},
    {215, "Singapore Standard Time", "(GMT+08:00) Kuala Lumpur, Singapore"},
    {220, "Taipei Standard Time", "(GMT+08:00) Taipei"},
    {225, "W. Australia Standard Time", "(GMT+08:00) Perth"},
    {227, "North Asia East Standard Time", "(GMT+08:00) Irkutsk, Ulaanbaatar"},
    {230, "Korea Standard Time", "(GMT+09:00) Seoul"},
    {235, "Tokyo Standard Time", "(GMT+09:00) Osaka, Sapporo, Tokyo"},
    {240, "Yakutsk Standard Time", "(GMT+09:00) Yakutsk"},
    {245, "A.U.S. Central Standard Time", "(GMT+09:30) Darwin"},
    {250, "Cen. Australia Standard Time", "(GMT+09:30) Adelaide"},
    {255, "A.U.S. Eastern Standard Time", "(GMT+10:00) Canberra, Melbourne, Sydney"},
    {260, "E. Australia Standard Time", "(GMT+10:00) Brisbane"},
    {265, "Tasmania Standard Time", "(GMT+10:00) Hobart"},
    {270, "Vladivostok Standard Time", "(GMT+10:00) Vladivostok"},
    {275, "West Pacific Standard Time", "(GMT+10:00) Guam, Port Moresby"},
    {280, "Central Pacific Standard Time", "(GMT+11:00) Magadan, Solomon Islands, New Caledonia"},
    {285, "Fiji Islands Standard Time", "(GMT+12:00) Fiji, Kamchatka, Marshall Is."},
    {290, "New Zealand Standard Time", "(GMT+12:00) Auckland, Wellington"},
    {300, "Tonga Standard Time", "(GMT+13:00) Nuku'alofa"},
};

static_assert(std::ranges::is_sorted(kZones, {}, &TimeZone::index));

} // namespace

std::span<const TimeZone> timeZones() {
    return kZones;
}

const TimeZone* findTimeZone(int index) {
    const auto* found = std::ranges::lower_bound(kZones, index, {}, &TimeZone::index);
    return found != std::end(kZones) && found->index == index ? found : nullptr;
}

} // namespace ornibe
