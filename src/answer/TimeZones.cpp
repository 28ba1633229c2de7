#include "answer/TimeZones.h"
#include "sys/Translation.h"

#include <algorithm>

namespace ornibe {
namespace {

// Microsoft's "Time Zone Index Values" for the answer file's TimeZone key.
// The zones that later updates added with indexes from 0x80000040 on are
// left out: these systems' setup does not know them.
constexpr TimeZone kZones[] = {
    {0, "Dateline Standard Time", toTranslate("(GMT-12:00) 日付変更線 (西側)")},
    {1, "Samoa Standard Time", toTranslate("(GMT-11:00) ミッドウェー島、サモア")},
    {2, "Hawaiian Standard Time", toTranslate("(GMT-10:00) ハワイ")},
    {3, "Alaskan Standard Time", toTranslate("(GMT-09:00) アラスカ")},
    {4, "Pacific Standard Time",
     toTranslate("(GMT-08:00) 太平洋標準時 (米国およびカナダ)、ティフアナ")},
    {10, "Mountain Standard Time", toTranslate("(GMT-07:00) 山地標準時 (米国およびカナダ)")},
    {13, "Mexico Standard Time 2", toTranslate("(GMT-07:00) チワワ、ラパス、マサトラン")},
    {15, "U.S. Mountain Standard Time", toTranslate("(GMT-07:00) アリゾナ")},
    {20, "Central Standard Time", toTranslate("(GMT-06:00) 中部標準時 (米国およびカナダ)")},
    {25, "Canada Central Standard Time", toTranslate("(GMT-06:00) サスカチュワン")},
    {30, "Mexico Standard Time",
     toTranslate("(GMT-06:00) グアダラハラ、メキシコシティ、モンテレー")},
    {33, "Central America Standard Time", toTranslate("(GMT-06:00) 中央アメリカ")},
    {35, "Eastern Standard Time", toTranslate("(GMT-05:00) 東部標準時 (米国およびカナダ)")},
    {40, "U.S. Eastern Standard Time", toTranslate("(GMT-05:00) インディアナ東部")},
    {45, "S.A. Pacific Standard Time", toTranslate("(GMT-05:00) ボゴタ、リマ、キト")},
    {50, "Atlantic Standard Time", toTranslate("(GMT-04:00) 大西洋標準時 (カナダ)")},
    {55, "S.A. Western Standard Time", toTranslate("(GMT-04:00) カラカス、ラパス")},
    {56, "Pacific S.A. Standard Time", toTranslate("(GMT-04:00) サンティアゴ")},
    {60, "Newfoundland and Labrador Standard Time",
     toTranslate("(GMT-03:30) ニューファンドランド")},
    {65, "E. South America Standard Time", toTranslate("(GMT-03:00) ブラジリア")},
    {70, "S.A. Eastern Standard Time", toTranslate("(GMT-03:00) ジョージタウン")},
    {73, "Greenland Standard Time", toTranslate("(GMT-03:00) グリーンランド")},
    {75, "Mid-Atlantic Standard Time", toTranslate("(GMT-02:00) 中部大西洋")},
    {80, "Azores Standard Time", toTranslate("(GMT-01:00) アゾレス諸島")},
    {83, "Cape Verde Standard Time", toTranslate("(GMT-01:00) カーボベルデ諸島")},
    {85, "GMT Standard Time",
     toTranslate("(GMT) グリニッジ標準時：ダブリン、エジンバラ、リスボン、ロンドン")},
    {90, "Greenwich Standard Time", toTranslate("(GMT) モンロビア、レイキャビク")},
    {95, "Central Europe Standard Time",
     toTranslate("(GMT+01:00) ベオグラード、ブラチスラバ、ブダペスト、リュブリャナ、プラハ")},
    {100, "Central European Standard Time",
     toTranslate("(GMT+01:00) サラエボ、スコピエ、ワルシャワ、ザグレブ")},
    {105, "Romance Standard Time",
     toTranslate("(GMT+01:00) ブリュッセル、コペンハーゲン、マドリード、パリ")},
    {110, "W. Europe Standard Time",
     toTranslate("(GMT+01:00) アムステルダム、ベルリン、ベルン、ローマ、ストックホルム、ウィーン")},
    {113, "W. Central Africa Standard Time", toTranslate("(GMT+01:00) 西中央アフリカ")},
    {115, "E. Europe Standard Time", toTranslate("(GMT+02:00) ミンスク")},
    {120, "Egypt Standard Time", toTranslate("(GMT+02:00) カイロ")},
    {125, "FLE Standard Time",
     toTranslate("(GMT+02:00) ヘルシンキ、キエフ、リガ、ソフィア、タリン、ビリニュス")},
    {130, "GTB Standard Time", toTranslate("(GMT+02:00) アテネ、ブカレスト、イスタンブール")},
    {135, "Israel Standard Time", toTranslate("(GMT+02:00) エルサレム")},
    {140, "South Africa Standard Time", toTranslate("(GMT+02:00) ハラーレ、プレトリア")},
    {145, "Russian Standard Time",
     toTranslate("(GMT+03:00) モスクワ、サンクトペテルブルグ、ボルゴグラード")},
    {150, "Arab Standard Time", toTranslate("(GMT+03:00) クウェート、リヤド")},
    {155, "E. Africa Standard Time", toTranslate("(GMT+03:00) ナイロビ")},
    {158, "Arabic Standard Time", toTranslate("(GMT+03:00) バグダッド")},
    {160, "Iran Standard Time", toTranslate("(GMT+03:30) テヘラン")},
    {165, "Arabian Standard Time", toTranslate("(GMT+04:00) アブダビ、マスカット")},
    {170, "Caucasus Standard Time", toTranslate("(GMT+04:00) バクー、トビリシ、エレバン")},
    {175, "Transitional Islamic State of Afghanistan Standard Time",
     toTranslate("(GMT+04:30) カブール")},
    {180, "Ekaterinburg Standard Time", toTranslate("(GMT+05:00) エカテリンブルグ")},
    {185, "West Asia Standard Time", toTranslate("(GMT+05:00) タシケント")},
    {190, "India Standard Time",
     toTranslate("(GMT+05:30) チェンナイ、コルカタ、ムンバイ、ニューデリー")},
    {193, "Nepal Standard Time", toTranslate("(GMT+05:45) カトマンズ")},
    {195, "Central Asia Standard Time", toTranslate("(GMT+06:00) アスタナ、ダッカ")},
    {200, "Sri Lanka Standard Time", toTranslate("(GMT+06:00) スリジャヤワルダナプラコッテ")},
    {201, "N. Central Asia Standard Time", toTranslate("(GMT+06:00) アルマトイ、ノボシビルスク")},
    {203, "Myanmar Standard Time", toTranslate("(GMT+06:30) ヤンゴン (ラングーン)")},
    {205, "S.E. Asia Standard Time", toTranslate("(GMT+07:00) バンコク、ハノイ、ジャカルタ")},
    {207, "North Asia Standard Time", toTranslate("(GMT+07:00) クラスノヤルスク")},
    {210, "China Standard Time", toTranslate("(GMT+08:00) 北京、重慶、香港、ウルムチ")},
    {215, "Singapore Standard Time", toTranslate("(GMT+08:00) クアラルンプール、シンガポール")},
    {220, "Taipei Standard Time", toTranslate("(GMT+08:00) 台北")},
    {225, "W. Australia Standard Time", toTranslate("(GMT+08:00) パース")},
    {227, "North Asia East Standard Time", toTranslate("(GMT+08:00) イルクーツク、ウランバートル")},
    {230, "Korea Standard Time", toTranslate("(GMT+09:00) ソウル")},
    {235, "Tokyo Standard Time", toTranslate("(GMT+09:00) 大阪、札幌、東京")},
    {240, "Yakutsk Standard Time", toTranslate("(GMT+09:00) ヤクーツク")},
    {245, "A.U.S. Central Standard Time", toTranslate("(GMT+09:30) ダーウィン")},
    {250, "Cen. Australia Standard Time", toTranslate("(GMT+09:30) アデレード")},
    {255, "A.U.S. Eastern Standard Time",
     toTranslate("(GMT+10:00) キャンベラ、メルボルン、シドニー")},
    {260, "E. Australia Standard Time", toTranslate("(GMT+10:00) ブリスベン")},
    {265, "Tasmania Standard Time", toTranslate("(GMT+10:00) ホバート")},
    {270, "Vladivostok Standard Time", toTranslate("(GMT+10:00) ウラジオストク")},
    {275, "West Pacific Standard Time", toTranslate("(GMT+10:00) グアム、ポートモレスビー")},
    {280, "Central Pacific Standard Time",
     toTranslate("(GMT+11:00) マガダン、ソロモン諸島、ニューカレドニア")},
    {285, "Fiji Islands Standard Time",
     toTranslate("(GMT+12:00) フィジー、カムチャッカ、マーシャル諸島")},
    {290, "New Zealand Standard Time", toTranslate("(GMT+12:00) オークランド、ウェリントン")},
    {300, "Tonga Standard Time", toTranslate("(GMT+13:00) ヌクアロファ")},
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
